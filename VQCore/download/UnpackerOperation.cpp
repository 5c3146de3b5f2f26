#include "VQCore/download/UnpackerOperation.h"

#include "VQCore/download/PackageMeta.h"

namespace Tessar {

VQUnpackerOperation::VQUnpackerOperation(VQSfxInstall* unpacker, const std::wstring& targetFolder)
    : m_unpacker(unpacker), m_target(targetFolder) {}

VQUnpackerOperation::~VQUnpackerOperation() {
    Cancel();
    WaitThread();
}

void VQUnpackerOperation::Cancel() {
    if (m_unpacker)
        m_unpacker->Cancel();
}

bool VQUnpackerOperation::Execute() {
    if (!m_unpacker || !m_unpacker->Open() || !m_unpacker->Extract(m_target))
        return false;
    m_folder = m_unpacker->GetInstallFolder();
    m_program = m_unpacker->GetMetaValue(kMetaExe);
    m_arguments = m_unpacker->GetMetaValue(kMetaArgs);
    m_digest = m_unpacker->GetUninstallDigest();
    return true;
}

}  // namespace Tessar
