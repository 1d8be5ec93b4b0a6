// What a control or menu draws of its caption: an ampersand marks the next
// character as the access key and is not drawn itself ("&&" draws one).
#pragma once
#include <string>

std::wstring DrawnCaption(const std::wstring& caption);
