// The two buttons clicked on the real window system, against a loopback copy
// of the service. The shell's open command for http and https is a recorder
// of ours for the test's length, so each test reads exactly what the shell
// was given and no browser opens.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fixtures.h"
#include "page_server.h"
#include "prefix_setup_win.h"
#include "resolver_window_win.h"
#include "ui_driver_win.h"

namespace quorlin::test {
namespace {

constexpr Milliseconds kQuietPeriod{2000};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(shell_.Applied());
    server_.Serve(kShareTarget, Reply::Page(Fixture("chain/share.html"), "text/html; charset=gbk"));
    server_.Serve(kFileTarget, Reply::Page(Fixture("chain/file.html"), "text/html; charset=gbk"));
    server_.Serve(kFinalTarget, Reply::Page(Fixture("chain/final.html"), "text/html; charset=gbk"));
  }

  // Every argument the shell handed to the recorder, one per open.
  std::vector<std::string> ShellOpens() const {
    std::vector<std::string> opens;
    const std::string log = ReadWholeFile(shell_.Log());
    for (std::size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos;
         start = end + 1) {
      opens.push_back(log.substr(start, end - start));
    }
    return opens;
  }

  std::vector<std::string> WaitForShellOpens(std::size_t count) const {
    WaitUntil([&] { return ShellOpens().size() >= count; });
    return ShellOpens();
  }

  // A window whose address box asks the loopback service.
  std::unique_ptr<ResolverWindow> StartWindow(const std::string& target = kShareTarget) const {
    auto app = std::make_unique<ResolverWindow>();
    if (app->Ready()) SetText(app->Item(kAddressBox), server_.Url(target));
    return app;
  }

  static void Click(const ResolverWindow& app, Control button) {
    BringToFront(app.Window());
    ClickCentre(app.Item(button));
  }

  // The box's content after the test has closed it; title empty if none came.
  static MessageBoxContent AnswerMessageBox(const ResolverWindow& app) {
    const HWND box = app.WaitForMessageBox();
    if (!box) return {};
    MessageBoxContent content = ReadMessageBox(box);
    // Task-modal: the window takes no input while the box is up.
    EXPECT_FALSE(IsWindowEnabled(app.Window()));
    EXPECT_TRUE(PressOk(box));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(app.Window()) != FALSE; }));
    return content;
  }

  static void ExpectPlainMessage(const MessageBoxContent& box, const std::string& text) {
    EXPECT_EQ(box.title, kMessageTitle);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttons.size(), 1u) << "an OK button only";
    EXPECT_FALSE(box.hasIcon);
  }

  ShellRecording shell_;
  PageServer server_;
};

TEST_F(Commands, ResolveFillsTheResultBoxAndOpensTheAddress) {
  const auto app = StartWindow();
  ASSERT_TRUE(app->Ready());
  Click(*app, kResolveButton);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(app->Item(kResultBox)) == kFinalAddress; }))
      << WindowText(app->Item(kResultBox));
  EXPECT_EQ(WaitForShellOpens(1), std::vector<std::string>{kFinalAddress});
  // Two whole resolutions: the shown one and the opened one.
  EXPECT_EQ(server_.CountRequests(kShareTarget), 2);
  EXPECT_EQ(server_.CountRequests(kFinalTarget), 2);
  EXPECT_EQ(FindMessageBox(app->Process().Id()), nullptr);

  // The open button hands the same text to the shell again.
  Click(*app, kOpenButton);
  EXPECT_EQ(WaitForShellOpens(2), (std::vector<std::string>{kFinalAddress, kFinalAddress}));
  EXPECT_EQ(app->Close(), std::optional<DWORD>(0));
}

TEST_F(Commands, FailedResolutionTellsTheUserAndKeepsTheResult) {
  const std::string earlier = server_.Url("/files/earlier.zip");
  const auto app = StartWindow("/no-such-share.html");
  ASSERT_TRUE(app->Ready());
  ASSERT_TRUE(SetText(app->Item(kResultBox), earlier));
  Click(*app, kResolveButton);
  ExpectPlainMessage(AnswerMessageBox(*app), kResolveFailed);
  EXPECT_EQ(WindowText(app->Item(kResultBox)), earlier);
  std::this_thread::sleep_for(kQuietPeriod);
  EXPECT_TRUE(ShellOpens().empty());
  EXPECT_EQ(server_.CountRequests("/no-such-share.html"), 1) << "no second resolution";

  // What the box kept can still be opened.
  Click(*app, kOpenButton);
  EXPECT_EQ(WaitForShellOpens(1), std::vector<std::string>{earlier});
}

TEST_F(Commands, OpenWithAnEmptyResultSaysNothingIsResolved) {
  const auto app = StartWindow();
  ASSERT_TRUE(app->Ready());
  Click(*app, kOpenButton);
  ExpectPlainMessage(AnswerMessageBox(*app), kNothingResolved);
  std::this_thread::sleep_for(kQuietPeriod);
  EXPECT_TRUE(ShellOpens().empty());
  EXPECT_EQ(server_.Requests().size(), 0u);
}

TEST_F(Commands, OpenHandsTheResultTextOverUnchanged) {
  const std::string cases[] = {
      "https://dl.quorlin.com/files/8f3a/%E5%B9%B4%E5%BA%A6.zip?key=K7q2",
      "http://dl.quorlin.com/a b/c.zip",  // a blank inside is not escaped
      "HTTP://DL.QUORLIN.COM/UPPER.ZIP",  // nor is the case changed
  };
  const auto app = StartWindow();
  ASSERT_TRUE(app->Ready());
  std::vector<std::string> expected;
  for (const std::string& text : cases) {
    ASSERT_TRUE(SetText(app->Item(kResultBox), text));
    Click(*app, kOpenButton);
    expected.push_back(text);
    EXPECT_EQ(WaitForShellOpens(expected.size()), expected);
  }
  EXPECT_EQ(server_.Requests().size(), 0u) << "opening never resolves";
}

TEST_F(Commands, BlanksAreNotAnEmptyResult) {
  const auto app = StartWindow();
  ASSERT_TRUE(app->Ready());
  ASSERT_TRUE(SetText(app->Item(kResultBox), "   "));
  Click(*app, kOpenButton);
  // Three blanks name no web address, so the shell opens nothing; what
  // matters is that the command hands them on instead of saying "尚未解析".
  EXPECT_EQ(app->WaitForMessageBox(kQuietPeriod * 2), nullptr);
  EXPECT_EQ(WindowText(app->Item(kResultBox)), "   ");
  EXPECT_TRUE(IsWindowEnabled(app->Window()));
}

TEST_F(Commands, TheBoxShowsTheSecondResolutionAndTheShellOpensTheFirst) {
  auto served = std::make_shared<std::atomic<int>>(0);
  const std::string final = Fixture("chain/final.html");
  server_.Serve(kFinalTarget, [served, final](const Request&) {
    const int number = ++*served;
    return Reply::Page(Replaced(final, "key=K7q2", "key=K7q2-" + std::to_string(number)),
                       "text/html; charset=gbk");
  });
  const auto app = StartWindow();
  ASSERT_TRUE(app->Ready());
  Click(*app, kResolveButton);
  const std::string first = std::string(kFinalAddress) + "-1";
  const std::string second = std::string(kFinalAddress) + "-2";
  EXPECT_TRUE(WaitUntil([&] { return WindowText(app->Item(kResultBox)) == second; }))
      << WindowText(app->Item(kResultBox));
  EXPECT_EQ(WaitForShellOpens(1), std::vector<std::string>{first});
}

TEST_F(Commands, AFailedSecondResolutionEmptiesTheBoxAndStillOpensTheFirst) {
  auto served = std::make_shared<std::atomic<int>>(0);
  const std::string final = Fixture("chain/final.html");
  server_.Serve(kFinalTarget, [served, final](const Request&) {
    return ++*served == 1 ? Reply::Page(final, "text/html; charset=gbk") : Reply::Status(404);
  });
  const auto app = StartWindow();
  ASSERT_TRUE(app->Ready());
  ASSERT_TRUE(SetText(app->Item(kResultBox), "before"));
  Click(*app, kResolveButton);
  EXPECT_EQ(WaitForShellOpens(1), std::vector<std::string>{kFinalAddress});
  EXPECT_EQ(WindowText(app->Item(kResultBox)), "");
  EXPECT_EQ(FindMessageBox(app->Process().Id()), nullptr) << "no message for the second";
  EXPECT_EQ(served->load(), 2);

  Click(*app, kOpenButton);
  ExpectPlainMessage(AnswerMessageBox(*app), kNothingResolved);
}

}  // namespace
}  // namespace quorlin::test
