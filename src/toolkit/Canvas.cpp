#include "toolkit/Canvas.h"

namespace rondel {

void TCanvas::FillRect(const RECT& rect) { ::FillRect(dc_, &rect, brush_.Handle()); }

void TCanvas::TextOut(int x, int y, std::string_view text) {
    selected_object font(dc_, font_.Handle());
    ::SetTextColor(dc_, ColorToRGB(font_.Color()));
    ::SetBkColor(dc_, ColorToRGB(brush_.Color()));
    ::SetBkMode(dc_, OPAQUE);
    ::ExtTextOutA(dc_, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
}

SIZE TCanvas::TextExtent(std::string_view text) const {
    selected_object font(dc_, font_.Handle());
    SIZE size{};
    ::GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::Polyline(std::span<const POINT> points) {
    selected_object pen(dc_, pen_.Handle());
    const int previousMode = ::SetROP2(dc_, pen_.Mode());
    ::Polyline(dc_, points.data(), static_cast<int>(points.size()));
    ::SetROP2(dc_, previousMode);
}

void TCanvas::DrawFocusRect(const RECT& rect) {
    // The dotted frame inverts what lies beneath; it must not take the text cells' colours.
    ::SetTextColor(dc_, RGB(0, 0, 0));
    ::SetBkColor(dc_, RGB(255, 255, 255));
    ::DrawFocusRect(dc_, &rect);
}

void TCanvas::CopyRect(const RECT& dest, const TCanvas& source, const RECT& sourceRect) {
    ::StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source.dc_,
                 sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
                 sourceRect.bottom - sourceRect.top, copyMode_);
}

}  // namespace rondel
