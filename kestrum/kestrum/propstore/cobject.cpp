#include "kestrum/propstore/cobject.h"

#include "kestrum/propstore/cprop.h"
#include "kestrum/propstore/cpropdb.h"
#include "kestrum/propstore/cpropset.h"

#include <array>

namespace kestrum {
namespace {
// The classes whose names may appear in a property file, and nothing else.
constexpr std::array<const CRuntimeClass*, 9> kRegistry{
    &CPropDb::classCPropDb,     &CPropSet::classCPropSet,     &CProp::classCProp,
    &CIntProp::classCIntProp,   &CFloatProp::classCFloatProp, &CStringProp::classCStringProp,
    &CBoolProp::classCBoolProp, &CBlobProp::classCBlobProp,   &CObjProp::classCObjProp,
};
} // namespace

// The root of the hierarchy: never created, never written.
constinit const CRuntimeClass CObject::classCObject{"CObject", 0xFFFF, nullptr, nullptr};

CObject::~CObject() = default;

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass& base) const {
    for (const CRuntimeClass* cls = this; cls != nullptr; cls = cls->m_base) {
        if (cls == &base) {
            return true;
        }
    }
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name) {
    for (const CRuntimeClass* cls : kRegistry) {
        if (cls->m_name == name) {
            return cls;
        }
    }
    return nullptr;
}

} // namespace kestrum
