#include "ui/BuiltInMarkup.h"

namespace Tessar {

namespace {

thread_local const VQControl* t_builtInControl = nullptr;

}  // namespace

VQBuiltInMarkupScope::VQBuiltInMarkupScope(const VQControl* control) : m_outer(t_builtInControl) {
    t_builtInControl = control;
}

VQBuiltInMarkupScope::~VQBuiltInMarkupScope() {
    t_builtInControl = m_outer;
}

bool VQBuiltInMarkupScope::Covers(const VQControl* control) {
    return control != nullptr && t_builtInControl == control;
}

}  // namespace Tessar
