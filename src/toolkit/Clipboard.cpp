#include "toolkit/Clipboard.h"

#include <cstring>

namespace rondel {

namespace {

// Another program may hold the clipboard for a moment: try a few times before giving up.
bool OpenClipboardSoon(HWND owner) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (::OpenClipboard(owner)) return true;
        ::Sleep(20);
    }
    return false;
}

// A movable global block holding the bytes; null when there is no memory for it.
HGLOBAL GlobalCopy(const void* bytes, std::size_t size) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) return nullptr;
    void* target = ::GlobalLock(block);
    if (target == nullptr) {
        ::GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(block);
    return block;
}

bool SetData(UINT format, HGLOBAL block) {
    if (block == nullptr) return false;
    if (::SetClipboardData(format, block) != nullptr) return true;  // the clipboard owns it now
    ::GlobalFree(block);
    return false;
}

}  // namespace

bool CopyTextToClipboard(HWND owner, const std::string& text) {
    const int wide = ::MultiByteToWideChar(932, 0, text.c_str(), -1, nullptr, 0);
    if (wide <= 0) return false;
    std::wstring unicode(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(932, 0, text.c_str(), -1, unicode.data(), wide);

    if (!OpenClipboardSoon(owner)) return false;
    bool done = ::EmptyClipboard() != FALSE;
    done = done && SetData(CF_TEXT, GlobalCopy(text.c_str(), text.size() + 1));
    done = done && SetData(CF_UNICODETEXT, GlobalCopy(unicode.c_str(), unicode.size() * sizeof(wchar_t)));
    ::CloseClipboard();
    return done;
}

}  // namespace rondel
