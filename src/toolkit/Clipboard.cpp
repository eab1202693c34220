#include "toolkit/Clipboard.h"

#include <cstring>

#include "platform/Win32Platform.h"

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
    const std::wstring unicode = platform::ToWide(text, platform::kCodePage932);
    if (!OpenClipboardSoon(owner)) return false;
    bool done = ::EmptyClipboard() != FALSE;
    done = done && SetData(CF_TEXT, GlobalCopy(text.c_str(), text.size() + 1));
    done = done && SetData(CF_UNICODETEXT, GlobalCopy(unicode.c_str(), (unicode.size() + 1) * sizeof(wchar_t)));
    ::CloseClipboard();
    return done;
}

}  // namespace rondel
