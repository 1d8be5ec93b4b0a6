#include "ripper/engine/user_message.h"

namespace {
UserMessageHook g_hook;
}

int ShowUserMessage(HWND owner, const std::wstring& text, UINT flags) {
  if (g_hook) return g_hook(text, flags);
  return MessageBoxW(owner, text.c_str(), kAppTitle, flags);
}

void SetUserMessageHook(UserMessageHook hook) { g_hook = std::move(hook); }
