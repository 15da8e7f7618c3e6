#include "prefix_setup_win.h"

#include <memory>

namespace quorlin::test {
namespace {

// The face with bitmaps made for small sizes: at the default GUI font's size
// the plain face came out with broken glyphs.
constexpr wchar_t kCjkFace[] = L"WenQuanYi Zen Hei Sharp";
// Font file and face, as a font link names them.
constexpr wchar_t kCjkLink[] = L"wqy-zenhei.ttc,WenQuanYi Zen Hei";

// Faces that Wine replaces only when no font of that name is installed:
// the Chinese system faces (code page 936 maps "MS Shell Dlg", the default
// GUI font, to SimSun) and their English names.
constexpr const wchar_t* kReplacedFaces[] = {
    L"SimSun",          L"\u5B8B\u4F53",              // 宋体
    L"NSimSun",         L"\u65B0\u5B8B\u4F53",        // 新宋体
    L"SimHei",          L"\u9ED1\u4F53",              // 黑体
    L"Microsoft YaHei", L"\u5FAE\u8F6F\u96C5\u9ED1",  // 微软雅黑
    L"MS Shell Dlg",    L"MS Shell Dlg 2",
};
// Faces that fonts-wine installs without Chinese glyphs (Tahoma draws the
// title bar): they borrow the missing ones through a font link.
constexpr const wchar_t* kLinkedFaces[] = {L"Tahoma",         L"MS Shell Dlg",
                                           L"MS Shell Dlg 2", L"Microsoft Sans Serif",
                                           L"MS Sans Serif",  L"System"};

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

UniqueKey CreateKey(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return UniqueKey(key);
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ) {
  // REG_MULTI_SZ ends with an extra terminator.
  const std::size_t characters = value.size() + (type == REG_MULTI_SZ ? 2 : 1);
  std::wstring data = value;
  data.resize(characters, L'\0');
  return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>(characters * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring CommandKey(const std::wstring& scheme) { return scheme + L"\\shell\\open\\command"; }

}  // namespace

bool MapGuiFontsToCjkFont() {
  const UniqueKey replacements =
      CreateKey(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements");
  const UniqueKey links = CreateKey(
      HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink");
  if (!replacements || !links) return false;
  bool ok = true;
  for (const wchar_t* face : kReplacedFaces)
    ok = SetString(replacements.get(), face, kCjkFace) && ok;
  for (const wchar_t* face : kLinkedFaces) {
    ok = SetString(links.get(), face, kCjkLink, REG_MULTI_SZ) && ok;
  }
  return ok;
}

ShellOpenOverride::ShellOpenOverride(const std::vector<std::wstring>& schemes,
                                     const std::wstring& command) {
  for (const std::wstring& scheme : schemes) {
    const UniqueKey key = CreateKey(HKEY_CLASSES_ROOT, CommandKey(scheme));
    if (!key) {
      applied_ = false;
      continue;
    }
    Saved saved{scheme, false, {}};
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), nullptr, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
      saved.command.resize(size / sizeof(wchar_t) + 1);
      size = static_cast<DWORD>(saved.command.size() * sizeof(wchar_t));
      RegQueryValueExW(key.get(), nullptr, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(saved.command.data()), &size);
      saved.command.resize(wcslen(saved.command.c_str()));
      saved.existed = true;
    }
    saved_.push_back(saved);
    applied_ = SetString(key.get(), nullptr, command) && applied_;
  }
}

ShellOpenOverride::~ShellOpenOverride() {
  for (const Saved& saved : saved_) {
    const UniqueKey key = CreateKey(HKEY_CLASSES_ROOT, CommandKey(saved.scheme));
    if (!key) continue;
    if (saved.existed) {
      SetString(key.get(), nullptr, saved.command);
    } else {
      RegDeleteValueW(key.get(), nullptr);
    }
  }
}

}  // namespace quorlin::test
