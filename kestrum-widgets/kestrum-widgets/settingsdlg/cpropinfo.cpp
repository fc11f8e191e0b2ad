#include "kestrum-widgets/settingsdlg/cpropinfo.h"

namespace kestrum {

constinit const CRuntimeClass CPropInfo::classCPropInfo{"CPropInfo", 1, &CObject::classCObject,
                                                        nullptr};

CPropInfo::CPropInfo() = default;
CPropInfo::~CPropInfo() = default;

const CRuntimeClass& CPropInfo::GetRuntimeClass() const {
    return classCPropInfo;
}

void CPropInfo::Serialize(CArchive& /*ar*/) {}

} // namespace kestrum
