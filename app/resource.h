// Identifiers shared by the resource script and the code.
#pragma once

// The icon group, named rather than numbered.
#define QUORLIN_ICON_NAME "DEFAULT_ICON"

// Child controls of the main window, in creation order.
#define ID_ADDRESS_BOX 1001     // 编辑框1
#define ID_ADDRESS_LABEL 1002   // 透明标签1
#define ID_RESOLVE_BUTTON 1003  // 解析
#define ID_RESULT_BOX 1004      // 编辑框2
#define ID_RESULT_LABEL 1005    // 透明标签2
#define ID_OPEN_BUTTON 1006     // 解析3
