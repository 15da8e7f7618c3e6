// quorlin-resolve: in-process for the many cases, as a real process where
// the process boundary itself matters (exit status, stdin). What needs a
// POSIX system (a UTF-8 terminal, xdg-open) is in cli_posix_test.
#include <gtest/gtest.h>

#include <sstream>

#include "cli_test_fixture.h"

namespace quorlin::cli {
namespace {

// The child writes its standard output in the C runtime's text mode, in
// which a Windows program ends each line with CR LF.
#ifdef _WIN32
constexpr const char* kChildLineEnd = "\r\n";
#else
constexpr const char* kChildLineEnd = "\n";
#endif

TEST_F(CliTest, PrintsEachResolvedAddressInInputOrder) {
  const Run run = RunCommand({Good(), Good()});
  EXPECT_EQ(run.status, kExitAllResolved);
  EXPECT_EQ(run.out, std::string(kFinalAddress) + "\n" + kFinalAddress + "\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(server_.CountRequests("/down_1.html"), 2) << "each address is resolved once";
}

TEST_F(CliTest, AFailureIsNamedOnStderrAndTheRestStillResolve) {
  const Run run = RunCommand({Bad(), Good()});
  EXPECT_EQ(run.status, kExitSomeFailed);
  EXPECT_EQ(run.out, std::string(kFinalAddress) + "\n");
  EXPECT_EQ(run.err, "quorlin-resolve: could not resolve " + Bad() + "\n");
}

TEST_F(CliTest, ReadsAddressesFromStandardInput) {
  const std::string input = "# my downloads\n\n" + Good() + "\r\n   \n" + Bad() + "\n" + Good();
  for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"-"}}) {
    const Run run = RunCommand(args, input);
    EXPECT_EQ(run.status, kExitSomeFailed);
    EXPECT_EQ(run.out, std::string(kFinalAddress) + "\n" + kFinalAddress + "\n");
    EXPECT_EQ(run.err, "quorlin-resolve: could not resolve " + Bad() + "\n");
  }
}

TEST_F(CliTest, DashReadsStandardInputAfterTheArguments) {
  const Run run = RunCommand({Bad(), "-"}, Good() + "\n");
  EXPECT_EQ(run.out, std::string(kFinalAddress) + "\n");
  EXPECT_EQ(run.status, kExitSomeFailed);
}

TEST_F(CliTest, JsonGivesOneObjectALineWithNullForFailures) {
  const Run run = RunCommand({"--json", Good(), Bad()});
  EXPECT_EQ(run.status, kExitSomeFailed);
  EXPECT_EQ(run.out, "{\"address\": \"" + Good() + "\", \"resolved\": \"" + kFinalAddress +
                         "\"}\n{\"address\": \"" + Bad() + "\", \"resolved\": null}\n");
}

TEST(Cli, UsageErrorsHelpAndVersion) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* outStart;
    const char* errStart;
  } cases[] = {
      {{"--frobnicate"}, kExitUsage, "", "quorlin-resolve: unknown option '--frobnicate'\n"},
      {{"-x", "http://h/"}, kExitUsage, "", "quorlin-resolve: unknown option '-x'\n"},
      {{"--help"}, kExitAllResolved, "Usage: quorlin-resolve [--open] [--json] [ADDRESS...]\n", ""},
      {{"-h"}, kExitAllResolved, "Usage: ", ""},
      {{"--version"}, kExitAllResolved, "quorlin-resolve 1.0.0.0\n", ""},
  };
  for (const auto& c : cases) {
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(RunResolveCommand(c.args, in, out, err), c.status) << c.args[0];
    EXPECT_EQ(out.str().rfind(c.outStart, 0), 0u) << c.args[0] << ": " << out.str();
    EXPECT_EQ(err.str().rfind(c.errStart, 0), 0u) << c.args[0] << ": " << err.str();
    if (c.status == kExitUsage) {
      EXPECT_EQ(out.str(), "");
    }
  }
}

TEST(Cli, JsonStringEscapesWhatJsonRequires) {
  const struct {
    std::string text;
    std::string json;
  } cases[] = {
      {"plain", "\"plain\""},
      {"a\"b", "\"a\\\"b\""},
      {"a\\b", "\"a\\\\b\""},
      {"\r\n\t\b\f", "\"\\r\\n\\t\\b\\f\""},
      {std::string("\x01\x1f", 2), "\"\\u0001\\u001f\""},
      {"\xE5\xB9\xB4", "\"\xE5\xB9\xB4\""},
      {"", "\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

TEST_F(CliProcessTest, ExitStatusTellsWhetherAllResolved) {
  EXPECT_EQ(Resolve({Good()}).exitCode, 0);
  EXPECT_EQ(Resolve({Good(), Bad()}).exitCode, 1);
  EXPECT_EQ(Resolve({"--nope"}).exitCode, 2);
  const test::ProcessResult piped = Resolve({}, Good() + "\n");
  EXPECT_EQ(piped.exitCode, 0);
  EXPECT_EQ(piped.out, std::string(kFinalAddress) + kChildLineEnd);
}

}  // namespace
}  // namespace quorlin::cli
