#pragma once
// Containers whose SetPos always lays the children out left to right
// (horizontal) or top to bottom (vertical).

#include "ui/Container.h"

namespace Tessar {

class VQHorizontalLayout : public VQContainer {
public:
    VQHorizontalLayout() { m_layoutType = LayoutHorizontal; }
    void SetPos(int left, int top, int right, int bottom) override;
};

class VQVerticalLayout : public VQContainer {
public:
    VQVerticalLayout() { m_layoutType = LayoutVertical; }
    void SetPos(int left, int top, int right, int bottom) override;
};

}  // namespace Tessar
