#pragma once
// The thumbnail grid of the skin chooser: three columns of equal items,
// scrolling vertically.

#include <string>

#include "VQCore/app/start/AppControlTypes.h"
#include "ui/Container.h"

namespace Tessar {

class VQSkinContainer : public VQContainer {
public:
    int GetControlType() const override { return ControlTypeSkinContainer; }
    VQControl* GetInterface(int type) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    bool Add(VQControl* control) override;
    void SetPos(int left, int top, int right, int bottom) override;

    static const int kColumns = 3;
    // Height the grid needs for its visible items, from the last layout.
    int GetContentHeight() const { return m_contentHeight; }

private:
    int m_itemWidth = 0;
    int m_itemHeight = 0;
    int m_rowSpacing = 0;
    int m_columnSpacing = 0;
    std::wstring m_itemAttributes;
    int m_contentHeight = 0;
};

}  // namespace Tessar
