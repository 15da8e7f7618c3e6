// Shows a product-like window with the built skin attached and stays open, for
// screenshots: skin_demo.exe [palette [hue saturation brightness]], or
// skin_demo.exe --message for the window with one of the program's messages over it.
#include <windows.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "test_window_win.h"

extern const unsigned char kQuorlinSkin[];
extern const std::size_t kQuorlinSkin_size;

namespace {

using AttachFunction = int(WINAPI*)(const unsigned char*, int, const char*, int, int, int);

AttachFunction LoadAttach() {
  HMODULE engine = LoadLibraryA("Eda.dll");
  if (engine == nullptr) return nullptr;
  return reinterpret_cast<AttachFunction>(
      reinterpret_cast<void*>(GetProcAddress(engine, "SkinH_AttachRes")));
}

}  // namespace

int main(int argc, char** argv) {
  const AttachFunction attach = LoadAttach();
  if (attach == nullptr) return 2;
  const skin_test::TestWindow t = skin_test::CreateTestWindow(true);
  if (t.window == nullptr) return 3;
  const bool message = argc > 1 && std::strcmp(argv[1], "--message") == 0;
  const char* palette = argc > 1 && !message ? argv[1] : "";
  const int hue = argc > 4 ? std::atoi(argv[2]) : 0;
  const int saturation = argc > 4 ? std::atoi(argv[3]) : 0;
  const int brightness = argc > 4 ? std::atoi(argv[4]) : 0;
  const int status = attach(kQuorlinSkin, static_cast<int>(kQuorlinSkin_size), palette, hue,
                            saturation, brightness);
  if (status != 0) return 10 - status;
  ShowWindow(t.window, SW_SHOWNORMAL);
  SetFocus(t.address_edit);
  if (message) MessageBoxA(nullptr, "解析异常！", "Vesk提示", MB_OK | MB_TASKMODAL);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(t.window, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return 0;
}
