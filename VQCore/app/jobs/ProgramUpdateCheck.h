#pragma once
// The manual program-update check (the more menu's "软件升级" and the
// tray's "升级"): the updater is started visibly, and when it started the
// restart marker tells it to start this manager again after an upgrade.

#include <functional>

namespace Tessar {

// True when the updater started. UpdateTime is stamped in every case.
bool CheckProgramUpdate();

// Tests only: replaces the updater start (an empty function restores it).
void SetUpdaterStartForTests(std::function<bool()> start);

}  // namespace Tessar
