// One layout pass of a window of 1,000 controls (a vertical layout of 50
// rows, each a horizontal layout of 20 controls with margins, child padding,
// fixed and shared widths) beside the same rectangles computed over bare
// arrays. Each pass alternates between two window sizes so that every
// rectangle really changes.

#include "bench/BenchClock.h"
#include "ui/Layouts.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

using namespace Tessar;
using namespace Tessar::Bench;

namespace {

const int kRows = 50;
const int kColumns = 20;
const int kRowHeight = 24;
const int kPadding = 2;
const int kMargin = 1;
const int kPasses = 501;

// Every fourth control takes a share of the row; the others are fixed.
int FixedWidthOf(int column) {
    return column % 4 == 3 ? 0 : 30 + column;
}

VQVerticalLayout* BuildWindow(std::vector<VQControl*>& leaves) {
    VQVerticalLayout* root = new VQVerticalLayout;
    root->SetChildPadding(kPadding);
    for (int r = 0; r < kRows; ++r) {
        VQHorizontalLayout* row = new VQHorizontalLayout;
        row->SetFixedHeight(kRowHeight);
        row->SetChildPadding(kPadding);
        for (int c = 0; c < kColumns; ++c) {
            VQControl* control = new VQControl;
            control->SetFixedWidth(FixedWidthOf(c));
            control->SetPadding(kMargin, kMargin, kMargin, kMargin);
            row->Add(control);
            leaves.push_back(control);
        }
        root->Add(row);
    }
    return root;
}

// The same arithmetic with nothing around it: rows of fixed height, and in
// each row the fixed widths, the share of the rest and the last adjustable
// control taking what remains.
void BareLayout(int width, int height, std::vector<RECT>& out) {
    (void)height;
    int fixedTotal = 0, adjustables = 0;
    for (int c = 0; c < kColumns; ++c) {
        fixedTotal += 2 * kMargin + FixedWidthOf(c);
        if (FixedWidthOf(c) == 0) ++adjustables;
    }
    fixedTotal += kPadding * (kColumns - 1);
    const int share = adjustables ? std::max(0, (width - fixedTotal) / adjustables) : 0;
    size_t i = 0;
    for (int r = 0; r < kRows; ++r) {
        const int top = r * (kRowHeight + kPadding);
        int x = 0, remaining = width, fixed = fixedTotal, seen = 0;
        for (int c = 0; c < kColumns; ++c) {
            remaining -= 2 * kMargin;
            int w = FixedWidthOf(c);
            fixed -= w + 2 * kMargin;
            if (w == 0) {
                ++seen;
                w = seen == adjustables ? std::max(0, remaining - fixed) : share;
            }
            RECT& rc = out[i++];
            rc.left = x + kMargin;
            rc.top = top + kMargin;
            rc.right = rc.left + w;
            rc.bottom = top + kRowHeight - kMargin;
            fixed -= kPadding;
            remaining -= kPadding + w;
            x += kPadding + w + 2 * kMargin;
        }
    }
}

uint64_t Checksum(const RECT& rc) {
    return (uint64_t(uint32_t(rc.left)) * 31 + uint32_t(rc.top)) * 31 + uint32_t(rc.right) * 7 + uint32_t(rc.bottom);
}

}  // namespace

int main() {
    std::vector<VQControl*> leaves;
    VQVerticalLayout* root = BuildWindow(leaves);
    std::vector<RECT> bare(leaves.size());
    const int widths[2] = {1400, 1280};
    const int height = kRows * (kRowHeight + kPadding);

    // Both must place every control alike, or the comparison means nothing.
    for (int width : widths) {
        root->SetPos(0, 0, width, height);
        BareLayout(width, height, bare);
        for (size_t i = 0; i < leaves.size(); ++i) {
            if (Checksum(leaves[i]->GetPos()) != Checksum(bare[i])) {
                RECT a = leaves[i]->GetPos();
                fprintf(stderr, "control %u differs at width %d: (%ld,%ld,%ld,%ld) vs (%ld,%ld,%ld,%ld)\n",
                        unsigned(i), width, a.left, a.top, a.right, a.bottom, bare[i].left, bare[i].top,
                        bare[i].right, bare[i].bottom);
                delete root;
                return 1;
            }
        }
    }

    std::vector<double> ours, reference;
    uint64_t sink = 0;
    for (int pass = 0; pass < kPasses; ++pass) {
        const int width = widths[pass % 2];
        double start = NowMs();
        root->SetPos(0, 0, width, height);
        ours.push_back(NowMs() - start);
        sink += Checksum(leaves[pass % leaves.size()]->GetPos());

        start = NowMs();
        BareLayout(width, height, bare);
        reference.push_back(NowMs() - start);
        sink += Checksum(bare[pass % bare.size()]);
    }
    char what[96];
    snprintf(what, sizeof(what), "layout pass %u controls (median of %d)", unsigned(leaves.size() + kRows + 1),
             kPasses);
    PrintRatioLine(what, Percentile(ours, 0.5), "bare arrays", Percentile(reference, 0.5));
    printf("layout pass 90th percentile: ours %.3f ms (checksum %llu)\n", Percentile(ours, 0.9),
           static_cast<unsigned long long>(sink % 1000));
    delete root;
    return 0;
}
