// Rectangle and region helpers.
#include <algorithm>

#include "platform/desktop/DesktopInternal.h"

bool OpaqueRgnHandle::Contains(int h, int v) const
{
    for (const Rect& r : rects)
        if (h >= r.left && h < r.right && v >= r.top && v < r.bottom) return true;
    return false;
}

void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom)
{
    if (r) *r = Rect{top, left, bottom, right};
}

Boolean EmptyRect(const Rect* r) { return !r || r->right <= r->left || r->bottom <= r->top; }

Boolean PtInRect(Point pt, const Rect* r)
{
    return r && pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

RgnHandle NewRgn() { return new OpaqueRgnHandle; }
void DisposeRgn(RgnHandle rgn) { delete rgn; }

void RectRgn(RgnHandle rgn, const Rect* r)
{
    if (!rgn) return;
    rgn->rects.clear();
    if (r && !EmptyRect(r)) rgn->rects.push_back(*r);
}

void SetRectRgn(RgnHandle rgn, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom)
{
    Rect r{top, left, bottom, right};
    RectRgn(rgn, &r);
}

void UnionRectWithRgn(RgnHandle rgn, const Rect* r)
{
    if (rgn && r && !EmptyRect(r)) rgn->rects.push_back(*r);
}

void SetEmptyRgn(RgnHandle rgn)
{
    if (rgn) rgn->rects.clear();
}

Boolean EmptyRgn(RgnHandle rgn) { return !rgn || rgn->rects.empty(); }

Boolean PtInRgn(Point pt, RgnHandle rgn) { return rgn && rgn->Contains(pt.h, pt.v); }

Rect* GetRegionBounds(RgnHandle rgn, Rect* out)
{
    if (!out) return out;
    *out = Rect{0, 0, 0, 0};
    if (!rgn || rgn->rects.empty()) return out;
    *out = rgn->rects.front();
    for (const Rect& r : rgn->rects) {
        out->top = std::min(out->top, r.top);
        out->left = std::min(out->left, r.left);
        out->bottom = std::max(out->bottom, r.bottom);
        out->right = std::max(out->right, r.right);
    }
    return out;
}

void OffsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv)
{
    if (!rgn) return;
    for (Rect& r : rgn->rects) {
        r.left += dh;
        r.right += dh;
        r.top += dv;
        r.bottom += dv;
    }
}
