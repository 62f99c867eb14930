#include "seller/publish/pipeline.h"

#include <exception>
#include <filesystem>
#include <utility>

#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "seller/authoring/applet.h"
#include "seller/authoring/cipher.h"
#include "seller/core/log.h"
#include "seller/service/activity_log.h"
#include "seller/service/ftp_transfer.h"
#include "seller/service/transport.h"
#include "seller/shell/context.h"

namespace tendrel {

namespace fs = std::filesystem;

namespace {

void Tell(BravantContext& ctx, const std::string& text) {
  ctx.Dialogs().Message(text, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
}

// A transfer's progress as notes for the row's status: one a percent, so a
// large file does not flood the window with repaints.
FtpProgress NoteProgress(const BlockingControl& control, const std::string& step) {
  return [note = control.note, step, last = -1](uint64_t sent, uint64_t total) mutable {
    const int percent = total == 0 ? 100 : static_cast<int>(sent * 100 / total);
    if (percent == last || !note) return;
    last = percent;
    note(WithProgress(step, sent, total));
  };
}

// Deletes the encoded copy once it is on the server. The vendor's own file is
// never the one deleted, however the record came by its names.
void RemoveEncodedCopy(const TApplet& applet, const std::string& file) {
  std::error_code ec;
  if (file == applet.SourceFile || fs::equivalent(fs::path(file), fs::path(applet.SourceFile), ec)) return;
  if (!fs::remove(fs::path(file), ec) && ec) qCWarning(lcSeller) << "the encoded copy stays:" << ec.message().c_str();
}

}  // namespace

void InlineRunner::Run(Work work, Note onNote, Then then) {
  BlockingControl control;
  control.note = [&onNote](const std::string& text) {
    if (onNote) onNote(text);
  };
  control.cancelled = [] { return false; };
  work(control);
  if (then) then();
}

std::string ProductIdOfReply(const std::string& reply) {
  const size_t brace = reply.find('}');
  if (brace == std::string::npos) return {};
  const size_t semicolon = reply.find(';', brace + 1);
  if (semicolon == std::string::npos) return {};
  return Trim(std::string_view(reply).substr(brace + 1, semicolon - brace - 1));
}

std::string RegistrationFailureDetail(const std::string& reply, const std::string& request) {
  // One request field a line; the password and the key stay out of sight
  // (the same text goes to the activity log).
  return (reply.empty() ? std::string(kEmptyReplyText) : reply) + "\r\n\r\n" +
         MaskSecrets(ReplaceText(request, "&", "\r\n", true));
}

std::string WithProgress(const std::string& step, uint64_t sent, uint64_t total) {
  // Short enough to stay readable at the end of a narrow column.
  uint64_t unit = 1;
  const char* name = "bytes";
  if (total >= (uint64_t{10} << 20)) {
    unit = uint64_t{1} << 20;
    name = "MiB";
  } else if (total >= (uint64_t{10} << 10)) {
    unit = uint64_t{1} << 10;
    name = "KiB";
  }
  return step + " " + std::to_string(sent / unit) + "/" + std::to_string(total / unit) + " " + name;
}

void ConnectForPublishing(BravantContext& ctx, BlockingRunner& runner, const ServerDefinition& server,
                          const std::function<void(const std::string&)>& status, std::function<void(bool)> then) {
  status(kStatusHttp);
  bool connected = false;
  try {
    connected = ctx.Service().Connect();
  } catch (const std::exception& e) {
    // A port outside 0..65535 in the settings: nothing was opened.
    ctx.ReportFault(e.what());
  }
  if (!connected) {
    status("");
    then(false);
    return;
  }
  status(kStatusFtpPrefix + server.address);
  FtpTransfer& ftp = ctx.Service().Ftp();
  auto outcome = std::make_shared<FtpOutcome>();
  const FtpServer target{server.address, server.directory, server.login, server.password};
  runner.Run(
      [&ftp, target, outcome](const BlockingControl& control) {
        ftp.SetAbort(control.cancelled);
        *outcome = ftp.Connect(target);
        ftp.SetAbort({});
      },
      {},
      [&ftp, outcome, status, then = std::move(then)] {
        if (!ftp.Finish(*outcome)) {
          status("");
          then(false);
          return;
        }
        then(true);
      });
}

PublishPipeline::PublishPipeline(BravantContext& ctx, BlockingRunner& runner, PublishView view)
    : ctx_(ctx), runner_(runner), view_(std::move(view)) {}

PublishPipeline::~PublishPipeline() = default;

void PublishPipeline::RowStatus(size_t row, const std::string& text) {
  if (view_.rowStatus) view_.rowStatus(row, text);
}

void PublishPipeline::Status(const std::string& text) {
  if (view_.status) view_.status(text);
}

void PublishPipeline::Run(std::vector<TApplet*> rows, const ServerDefinition& server,
                          std::function<void(bool)> done) {
  if (rows.empty()) {
    if (done) done(true);
    return;
  }
  rows_ = std::move(rows);
  server_ = server;
  done_ = std::move(done);
  running_ = true;
  ctx_.Service().Busy(true);
  ConnectForPublishing(
      ctx_, runner_, server_, [this](const std::string& text) { Status(text); },
      [this](bool connected) {
        if (!connected) {
          Tell(ctx_, kConnectionFailedMessage);
          End(false);
          return;
        }
        Status(kStatusEncoding);
        cipher_ = std::make_unique<TTillonCipher>();
        Encode(0);
      });
}

// One product's file under a fresh key. Only a file this encoding made
// counts: an older copy left from an earlier run must not pass for it, and a
// failed encoding leaves no copy behind (the cipher writes under a temporary
// name and renames at the end).
void PublishPipeline::Encode(size_t row) {
  if (row == rows_.size()) {
    cipher_.reset();
    Status(kStatusRegistering);
    Register(0);
    return;
  }
  TApplet& applet = *rows_[row];
  Status("Encoding " + applet.ProductName);
  RowStatus(row, kRowEncoding);
  applet.Key = TTillonCipher::NewRandomKey();
  cipher_->SetKey(applet.Key);
  applet.EncodedFile.clear();

  const auto check = [this, row] {
    if (FileExists(rows_[row]->EncodedFile)) {
      Encode(row + 1);
      return;
    }
    RowStatus(row, kRowEncodingFailed);
    cipher_.reset();
    Tell(ctx_, kEncodingFailedMessage);
    End(false);
  };
  if (!FileExists(applet.SourceFile)) {
    applet.EncodeFile(*cipher_);  // tells the user the source is missing
    check();
    return;
  }
  struct Result {
    std::string file, error;
  };
  auto result = std::make_shared<Result>();
  runner_.Run(
      [source = applet.SourceFile, cipher = cipher_.get(), result](const BlockingControl&) {
        TApplet scratch;  // without dialogs: the worker shows nothing
        scratch.SourceFile = source;
        try {
          scratch.EncodeFile(*cipher);
          result->file = scratch.EncodedFile;
        } catch (const std::exception& e) {
          result->error = e.what();
        }
      },
      {},
      [this, row, result, check] {
        if (!result->error.empty()) qCWarning(lcSeller) << "encoding failed:" << result->error.c_str();
        rows_[row]->EncodedFile = result->file;
        check();
      });
}

void PublishPipeline::Register(size_t row) {
  if (row == rows_.size()) {
    Upload(0, false);
    return;
  }
  TApplet& applet = *rows_[row];
  RowStatus(row, "Registering " + applet.ProductName);
  const std::string request = applet.BuildRegistrationURL(server_.httpRoot, false);
  ServiceTransport& service = ctx_.Service();
  auto outcome = std::make_shared<ServiceOutcome>();
  runner_.Run(
      [&service, request, outcome](const BlockingControl& control) {
        service.SetAbort(control.cancelled);
        *outcome = service.Send(request);
        service.SetAbort({});
      },
      {},
      [this, row, request, outcome] {
        ServiceTransport& service = ctx_.Service();
        const std::string reply = service.Finish(*outcome);
        TApplet& applet = *rows_[row];
        if (!ReplySucceeded(reply)) {
          RowStatus(row, kRowRegistrationFailed);
          service.ErrorReport("Registration of " + applet.ProductName + " has failed.",
                              RegistrationFailureDetail(reply, request));
          Tell(ctx_, kRegistrationFailedMessage);
          End(false);
          return;
        }
        const std::string id = ProductIdOfReply(reply);
        if (!id.empty()) {
          applet.ProductID = id;
          RowStatus(row, "Received ID " + id);
        }
        Register(row + 1);
      });
}

// The rows' encoded files, each followed by its preview image. The step's
// result is that of the last transfer it attempted.
void PublishPipeline::Upload(size_t row, bool lastOk) {
  while (row < rows_.size() && !FileExists(rows_[row]->EncodedFile)) ++row;
  if (row == rows_.size()) {
    End(lastOk);
    return;
  }
  const std::string file = rows_[row]->EncodedFile;
  const std::string step = "Uploading " + file + "...";
  RowStatus(row, step);
  FtpTransfer& ftp = ctx_.Service().Ftp();
  auto outcome = std::make_shared<FtpOutcome>();
  runner_.Run(
      [&ftp, file, step, outcome](const BlockingControl& control) {
        ftp.SetAbort(control.cancelled);
        *outcome = ftp.PutSameName(file, NoteProgress(control, step));
        ftp.SetAbort({});
      },
      [this, row](const std::string& text) { RowStatus(row, text); },
      [this, row, file, outcome] {
        if (!ctx_.Service().Ftp().Finish(*outcome)) {
          RowStatus(row, "ERR : Upload of '" + file + "' failed");
          End(false);
          return;
        }
        RowStatus(row, "");
        RemoveEncodedCopy(*rows_[row], file);
        UploadPreview(row);
      });
}

void PublishPipeline::UploadPreview(size_t row) {
  const std::string preview = rows_[row]->PreviewURL;
  if (preview.empty() || !FileExists(preview)) {
    Uploaded(row, true);
    return;
  }
  const std::string name = ExtractFileName(preview);
  const std::string step = "Uploading preview \"" + name + "\"";
  RowStatus(row, step);
  FtpTransfer& ftp = ctx_.Service().Ftp();
  auto outcome = std::make_shared<FtpOutcome>();
  runner_.Run(
      [&ftp, preview, name, step, outcome](const BlockingControl& control) {
        ftp.SetAbort(control.cancelled);
        *outcome = ftp.Put(preview, name, false, NoteProgress(control, step));
        ftp.SetAbort({});
      },
      [this, row](const std::string& text) { RowStatus(row, text); },
      [this, row, name, outcome] {
        const bool ok = ctx_.Service().Ftp().Finish(*outcome);
        // The walk goes on after a failed preview; only the status tells.
        RowStatus(row, ok ? std::string() : "ERR : Upload of preview file \"" + name + "\" failed");
        Uploaded(row, ok);
      });
}

void PublishPipeline::Uploaded(size_t row, bool ok) {
  rows_[row]->UploadState = "Uploaded";
  Upload(row + 1, ok);
}

void PublishPipeline::End(bool ok) {
  cipher_.reset();
  if (ok) {
    ctx_.Service().Busy(false);
    Tell(ctx_, kPublishSucceededMessage);
    if (view_.enableOutput) view_.enableOutput();
    Status("");
  } else {
    Status("");
    ctx_.Service().Busy(false);
  }
  running_ = false;
  rows_.clear();
  if (auto done = std::move(done_)) done(ok);
}

}  // namespace tendrel
