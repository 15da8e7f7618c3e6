// The page fetcher on libcurl, for the builds without COM.
#include "page_fetcher_curl.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "page_fetcher.h"
#include "text_codec.h"

namespace quorlin {
namespace {

constexpr const char* kWebProtocols = "http,https";

struct EasyDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;

struct HeaderListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

void InitializeCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Body {
  std::string bytes;
  std::size_t limit;
};

std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* userData) {
  auto& body = *static_cast<Body*>(userData);
  const std::size_t bytes = size * count;
  // Returning less than was given aborts the transfer: bodies without a
  // Content-Length are held to the same limit as the ones with it.
  if (bytes > body.limit - body.bytes.size()) return 0;
  body.bytes.append(data, bytes);
  return bytes;
}

}  // namespace

std::string FetchPageText(const std::string& address) {
  return FetchPageTextWithin(address, FetchLimits{});
}

std::string FetchPageTextWithin(const std::string& address, const FetchLimits& limits) {
  InitializeCurlOnce();
  EasyHandle curl(curl_easy_init());
  if (!curl) return {};

  Body body{{}, limits.maxBodyBytes};
  // libcurl adds "Accept: */*" unless told not to; the fetcher sends no
  // header of its own beyond what HTTP and content coding need.
  HeaderList headers(curl_slist_append(nullptr, "Accept:"));
  CURL* h = curl.get();
  curl_easy_setopt(h, CURLOPT_URL, address.c_str());
  curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, kWebProtocols);
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, kWebProtocols);
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, limits.maxRedirects);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
  curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBodyBytes));
  curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "gzip");
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);

  if (curl_easy_perform(h) != CURLE_OK) return {};

  const char* contentType = nullptr;
  curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &contentType);
  return NarrowPageText(body.bytes, contentType ? contentType : "");
}

}  // namespace quorlin
