#include "link_resolver.h"

#include "page_fetcher.h"
#include "text_scan.h"

namespace quorlin {
namespace {

// Host under which the share pages refer to their static images.
constexpr std::string_view kStaticImageHost = "img.quorlin.com";

// Stage 1: the href of the anchor that opens the first cell of a row, the
// cell on the line after "<tr>", indented by exactly five tabs.
constexpr std::string_view kStage1Start = "<tr>\r\n\t\t\t\t\t<td><a target=\"_blank\" href=\"";
std::string Stage1End() {
  return std::string("\"><img\tsrc=\"http://") + std::string(kStaticImageHost) +
         "/static/v4/images/xunlei.gif\" ";
}

// Stage 2: the href of the anchor with id "downfile" in the download list.
constexpr std::string_view kStage2Start = "<li class=\"xzdz_6\"><a href=\"";
constexpr std::string_view kStage2End = "\" id=\"downfile\"";

// Stage 3: the argument of the page script's delayURL call, closed at the
// end of its line.
constexpr std::string_view kStage3Start = "delayURL(\"";
constexpr std::string_view kStage3End = "\");\r";

constexpr std::string_view kLaterPagesScheme = "http://";

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return FindInText(text.substr(0, prefix.size()), prefix, 1, true) == 1;
}

}  // namespace

std::string DefaultShareAddress() {
  return std::string("http://") + std::string(kServiceHost) + "/down_19968240.html";
}

bool IsOpenableWebAddress(std::string_view link) {
  std::string_view rest;
  if (StartsWithIgnoringCase(link, "http://")) {
    rest = link.substr(7);
  } else if (StartsWithIgnoringCase(link, "https://")) {
    rest = link.substr(8);
  } else {
    return false;
  }
  if (rest.empty() || rest.front() == '/' || rest.front() == '\\' || rest.front() == '?' ||
      rest.front() == '#') {
    return false;
  }
  for (const char c : link) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || byte == '"') return false;
  }
  return true;
}

std::string ResolveDownloadAddress(const std::string& address) {
  const std::string host = HostOf(address);
  const std::string laterPagePrefix = std::string(kLaterPagesScheme) + host;

  const std::string link1 = TextBetween(FetchPageText(address), kStage1Start, Stage1End());
  if (link1.empty()) return {};

  const std::string link2 =
      TextBetween(FetchPageText(laterPagePrefix + link1), kStage2Start, kStage2End);
  if (link2.empty()) return {};

  std::string link3 = TextBetween(FetchPageText(laterPagePrefix + link2), kStage3Start, kStage3End);
  // The final link goes to the shell's "open", which would start whatever it
  // names; only a web address may leave the resolver.
  if (!IsOpenableWebAddress(link3)) return {};
  return link3;
}

}  // namespace quorlin
