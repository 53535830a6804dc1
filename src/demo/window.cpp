// window.cpp - the main window's messages.
#include "demo/demo.h"
#include "display/display.h"

int32_t MainWindowProc(PlatformWindow* window, WindowMessageType message, uint32_t wParam, intptr_t) {
  auto* context = window ? static_cast<DisplayContext*>(window->userData) : nullptr;
  if (!context) return 0;
  SystemServices* system = context->instance->system;
  switch (message) {
    case WindowMessageType::KeyDown:
      if (wParam == VK_ESCAPE_KEY) {
        context->quitRequested = 1;
      } else {
        ViewerKeyDown(wParam);
      }
      return 0;
    case WindowMessageType::Close:
      // A show that goes on invisibly once its window is gone helps nobody: closing the
      // window ends it like Esc.
      context->quitRequested = 1;
      system->DestroyWindow(window);
      return 0;
    case WindowMessageType::Destroy:
      system->PostQuitMessage(0);
      return 0;
    default:
      return 0;
  }
}

void PumpMessages() {
  SystemServices* system = displayContext.instance->system;
  WindowMessage message;
  while (system->PeekMessage(message)) MainWindowProc(message.window, message.type, message.wParam, 0);
}
