#pragma once
// The publish run (the Publish wizard's Finish): connect to the service and
// to the vendor's FTP server, encode each listed product's file under a
// fresh key, register the products with the service, upload the encoded
// files and their preview images. Each step stops the run at its first
// failure; later steps do not run.
//
// The run is a chain of steps. What shows something (statuses, messages,
// error reports) runs on the caller's thread; what blocks (the FTP
// connection, encoding, the service request, the transfers) is handed to a
// BlockingRunner, which the wizard backs with a worker thread and tests with
// the calling thread itself.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "seller/publish/servers.h"

namespace tendrel {

class BravantContext;
class TApplet;
class TTillonCipher;

inline constexpr char kConnectionFailedMessage[] =
    "Connection failed.  Cancelling encoding, file transfer and registration.";
inline constexpr char kEncodingFailedMessage[] = "File encoding failed.  Upload and registration cancelled.";
inline constexpr char kRegistrationFailedMessage[] = "Product Registration failed.  Registration cancelled.";
inline constexpr char kPublishSucceededMessage[] = "Upload and product registration was successful !";
// What a failed registration shows when the service said nothing at all.
inline constexpr char kEmptyReplyText[] = "(Error message from host contained no information.)";

// The status line.
inline constexpr char kStatusHttp[] = "Establishing http connection...";
inline constexpr char kStatusFtpPrefix[] = "Establishing FTP connection to ";
inline constexpr char kStatusEncoding[] = "Encoding files...";
inline constexpr char kStatusRegistering[] = "Registering products with server...";

// A row's status.
inline constexpr char kRowEncoding[] = "Encoding...";
inline constexpr char kRowEncodingFailed[] = "ERR: Encoding Failed !";
inline constexpr char kRowRegistrationFailed[] = "ERR : Registration Failed !";

// What blocking work is given while it runs, on whatever thread the runner
// chose for it.
struct BlockingControl {
  // A progress text; it reaches the runner's note handler on the caller's
  // thread, in the order made, before the work's continuation runs.
  std::function<void(const std::string&)> note;
  // True once the run is to end (the window is closing).
  std::function<bool()> cancelled;
};

// Where the blocking parts of a run go.
class BlockingRunner {
 public:
  using Work = std::function<void(const BlockingControl&)>;
  using Note = std::function<void(const std::string&)>;
  using Then = std::function<void()>;
  virtual ~BlockingRunner() = default;
  // Runs work, which may block and must show nothing; its notes reach onNote
  // and then `then` runs, both on the caller's thread.
  virtual void Run(Work work, Note onNote, Then then) = 0;
};

// Runs the work at once on the calling thread: for tests, and for callers
// that may block.
class InlineRunner : public BlockingRunner {
 public:
  void Run(Work work, Note onNote, Then then) override;
};

// The product ID a registration reply carries: the text after its first "}"
// up to the next ";", trimmed of blanks; empty when either is missing.
std::string ProductIdOfReply(const std::string& reply);

// What a failed registration's error report shows under its message: the
// reply (or kEmptyReplyText), a blank line, and the request one field a
// line, its secrets masked.
std::string RegistrationFailureDetail(const std::string& reply, const std::string& request);

// A step's status with a transfer's progress behind it: the part sent of the
// whole, in bytes, KiB or MiB as the whole's size asks ("... 37/256 MiB").
std::string WithProgress(const std::string& step, uint64_t sent, uint64_t total);

// Opens the service connection and then the FTP connection to the server,
// showing each on the status line. then(true) once both are open; then(false)
// after the failing side's error report (and with the status line emptied).
void ConnectForPublishing(BravantContext& ctx, BlockingRunner& runner, const ServerDefinition& server,
                          const std::function<void(const std::string&)>& status, std::function<void(bool)> then);

// What the run shows on its way, on the caller's thread.
struct PublishView {
  std::function<void(size_t row, const std::string& text)> rowStatus;
  std::function<void(const std::string& text)> status;  // the status line; "" empties it
  std::function<void()> enableOutput;                    // the main window's Output button
};

class PublishPipeline {
 public:
  PublishPipeline(BravantContext& ctx, BlockingRunner& runner, PublishView view);
  ~PublishPipeline();
  PublishPipeline(const PublishPipeline&) = delete;
  PublishPipeline& operator=(const PublishPipeline&) = delete;

  // Publishes the rows' products to the server; done(result) runs at the end
  // on the caller's thread (before Run returns with an InlineRunner). True at
  // once for no rows; else true only when the last transfer succeeded.
  void Run(std::vector<TApplet*> rows, const ServerDefinition& server, std::function<void(bool)> done);
  bool Running() const { return running_; }

 private:
  void Encode(size_t row);
  void Register(size_t row);
  void Upload(size_t row, bool lastOk);
  void UploadPreview(size_t row);
  void Uploaded(size_t row, bool ok);
  void End(bool ok);
  void RowStatus(size_t row, const std::string& text);
  void Status(const std::string& text);

  BravantContext& ctx_;
  BlockingRunner& runner_;
  PublishView view_;
  std::vector<TApplet*> rows_;
  ServerDefinition server_;
  std::function<void(bool)> done_;
  std::unique_ptr<TTillonCipher> cipher_;
  bool running_ = false;
};

}  // namespace tendrel
