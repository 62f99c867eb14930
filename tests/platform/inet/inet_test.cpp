// HTTP exchanges over libcurl against the stand-in SafeSurf server on
// loopback: replies, WinINet error numbers and the time-outs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/safesurf_stand_in.h"
#include "platform/inet/inet.h"

using namespace tendrel;

namespace {

std::string Url(const SafeSurfStandIn& s, const std::string& path = "/cgi-bin/super.pl") {
  return "http://127.0.0.1:" + std::to_string(s.port()) + path;
}

HttpRequest Post(const std::string& url, const std::string& body) {
  HttpRequest r;
  r.method = "POST";
  r.url = url;
  r.headers = {"Content-Type: application/x-www-form-urlencoded"};
  r.body = body;
  return r;
}

}  // namespace

TEST(Inet, PostCarriesTheBodyAndReadsTheWholeReply) {
  SafeSurfStandIn server;
  ASSERT_NE(server.port(), 0);
  InetSession session("Kestrel", {2000, 2000});
  InetError error;
  ASSERT_TRUE(session.Probe(Url(server, "/"), &error)) << error.detail;
  // Larger than one socket write, and with every byte value.
  std::string body;
  for (int i = 0; i < 70000; ++i) body += static_cast<char>(i % 256);
  HttpReply reply;
  int started = 0;
  ASSERT_TRUE(session.Perform(Post(Url(server), body), &reply, &error, [&] { ++started; })) << error.detail;
  EXPECT_EQ(reply.status, 200);
  EXPECT_NE(reply.body.find("Thank you."), std::string::npos);
  EXPECT_EQ(started, 1);
  EXPECT_EQ(server.Body(1), body);

  // An HTTP error status is still a complete exchange.
  ASSERT_TRUE(session.Perform(Post(Url(server, "/elsewhere"), "x"), &reply, &error));
  EXPECT_EQ(reply.status, 404);
}

TEST(Inet, FailuresCarryWinInetNumbers) {
  SafeSurfStandIn refusing({QStringLiteral("--refuse")});
  SafeSurfStandIn cutting({QStringLiteral("--close-mid-reply")});
  ASSERT_NE(refusing.port(), 0);
  ASSERT_NE(cutting.port(), 0);
  struct Case {
    const char* what;
    std::string url;
    bool probe;
    int code;
  };
  const Case cases[] = {
      {"refused probe", Url(refusing, "/"), true, kInetCannotConnect},
      {"refused post", Url(refusing), false, kInetCannotConnect},
      {"reply cut off", Url(cutting), false, kInetConnectionAborted},
      {"unknown scheme", "nosuch://127.0.0.1/", false, kInetUnrecognizedScheme},
      {"malformed", "http://", false, kInetInvalidUrl},
      {"TLS to a plain server", "https://127.0.0.1:" + std::to_string(cutting.port()) + "/", true,
       kInetSecureFailure},
  };
  InetSession session("Kestrel", {2000, 2000});
  for (const Case& c : cases) {
    InetError error;
    HttpReply reply;
    const bool ok = c.probe ? session.Probe(c.url, &error) : session.Perform(Post(c.url, "a=1"), &reply, &error);
    EXPECT_FALSE(ok) << c.what;
    EXPECT_EQ(error.code, c.code) << c.what << ": " << error.detail;
    EXPECT_EQ(error.text, InetErrorText(c.code)) << c.what;
    EXPECT_FALSE(error.text.empty()) << c.what;
  }
  EXPECT_EQ(InetErrorText(kInetCannotConnect), "A connection with the server could not be established");
}

TEST(Inet, AServerThatStopsAnsweringTimesOut) {
  SafeSurfStandIn server({QStringLiteral("--slow"), QStringLiteral("50")});
  ASSERT_NE(server.port(), 0);
  InetSession session("Kestrel", {2000, 700});
  InetError error;
  HttpReply reply;
  int started = 0;
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(session.Perform(Post(Url(server), "a=1"), &reply, &error, [&] { ++started; }));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_EQ(error.code, kInetTimeout) << error.detail;
  EXPECT_GE(ms, 600);
  EXPECT_LT(ms, 4000);
  EXPECT_EQ(started, 0);
  EXPECT_EQ(server.Received(), 1) << "the request went out before the wait";
}

TEST(Inet, AnAbortEndsTheExchangeAsCancelledWithoutWaitingForTheServer) {
  SafeSurfStandIn server({QStringLiteral("--slow"), QStringLiteral("50")});
  ASSERT_NE(server.port(), 0);
  InetSession session("Kestrel", {2000, 60000});
  std::atomic<bool> abort{false};
  session.SetAbort([&abort] { return abort.load(); });
  InetError error;
  ASSERT_TRUE(session.Probe(Url(server, "/"), &error)) << "no abort asked: the probe goes through";
  std::thread asker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    abort = true;
  });
  HttpReply reply;
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(session.Perform(Post(Url(server), "a=1"), &reply, &error));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  asker.join();
  EXPECT_EQ(error.code, kInetOperationCancelled) << error.detail;
  EXPECT_EQ(error.text, "The operation was canceled");
  EXPECT_GE(ms, 250);
  EXPECT_LT(ms, 2500) << "the abort is asked about once a second at least";
  EXPECT_EQ(server.Received(), 1);

  // Asked before an exchange begins, nothing reaches the server.
  error = {};
  EXPECT_FALSE(session.Probe(Url(server, "/"), &error));
  EXPECT_EQ(error.code, kInetOperationCancelled);
  error = {};
  EXPECT_FALSE(session.Perform(Post(Url(server), "b=2"), &reply, &error));
  EXPECT_EQ(error.code, kInetOperationCancelled);
  EXPECT_EQ(server.Received(), 1);

  // Without the hook the session works as before.
  session.SetAbort({});
  SafeSurfStandIn quick;
  ASSERT_NE(quick.port(), 0);
  EXPECT_TRUE(session.Perform(Post(Url(quick), "c=3"), &reply, &error)) << error.detail;
}

TEST(Inet, LoopbackHostsAndOfflineState) {
  struct Case {
    const char* host;
    bool loopback;
  };
  const Case cases[] = {{"localhost", true}, {"LOCALHOST", true}, {"127.0.0.1", true}, {"127.255.3.9", true},
                        {"::1", true},       {"[::1]", true},     {"127.0.0", false},  {"127.0.0.256", false},
                        {"127.0.0.1.5", false}, {"128.0.0.1", false}, {"127.example.org", false}, {"", false}};
  for (const Case& c : cases) EXPECT_EQ(IsLoopbackHost(c.host), c.loopback) << c.host;
  EXPECT_FALSE(InetIsOffline("127.0.0.1"));
}
