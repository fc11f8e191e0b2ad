#include "kestrum/propstore/cpropset.h"

#include "kestrum/propstore/carchive.h"
#include "kestrum/util/modulefilename.h"
#include "propfile.h"

namespace kestrum {

constinit const CRuntimeClass CPropSet::classCPropSet{"CPropSet", 1, &CObject::classCObject,
                                                      &CPropSet::CreateObject};

std::unique_ptr<CObject> CPropSet::CreateObject() {
    return std::make_unique<CPropSet>();
}

CPropSet::CPropSet() = default;
CPropSet::~CPropSet() = default;

const CRuntimeClass& CPropSet::GetRuntimeClass() const {
    return classCPropSet;
}

// The value object under key if it carries type and can hold that kind's payload. The type
// code alone decides which read a value answers, but a code that its class cannot carry (a
// file may pair any class with any code) must not make us read a payload that is not there.
template <class Carrier>
const Carrier* CPropSet::Find(std::string_view key, int type) const {
    const auto it = m_values.find(key);
    if (it == m_values.end() || it->second->m_nType != type) {
        return nullptr;
    }
    return dynamic_cast<const Carrier*>(it->second.get());
}

// The value object that a write of a kind stores into: the existing one when its class can
// carry the kind (so an integer key written as a boolean keeps its class), otherwise a fresh
// object of the kind's own class, which replaces the old one.
template <class Carrier, class Fresh>
Carrier& CPropSet::Slot(std::string_view key) {
    auto it = m_values.find(key);
    if (it == m_values.end()) {
        auto fresh = std::make_unique<Fresh>();
        it = m_values.emplace(std::string(key), std::move(fresh)).first;
    } else if (dynamic_cast<Carrier*>(it->second.get()) == nullptr) {
        it->second = std::make_unique<Fresh>();
    }
    return static_cast<Carrier&>(*it->second);
}

int CPropSet::GetType(std::string_view key) const {
    const auto it = m_values.find(key);
    return it == m_values.end() ? kPropNone : it->second->m_nType;
}

bool CPropSet::IsKey(std::string_view key) const {
    return m_values.find(key) != m_values.end();
}

void CPropSet::DeleteKey(std::string_view key) {
    const auto it = m_values.find(key);
    if (it != m_values.end()) {
        m_values.erase(it);
    }
}

void CPropSet::DeleteAll() {
    m_values.clear();
}

bool CPropSet::WritePropInt(std::string_view key, std::int32_t value) {
    auto& prop = Slot<CWordProp, CIntProp>(key);
    prop.SetInt(value);
    prop.m_nType = kPropInt;
    return true;
}

bool CPropSet::WritePropFloat(std::string_view key, float value) {
    auto& prop = Slot<CWordProp, CFloatProp>(key);
    prop.SetFloat(value);
    prop.m_nType = kPropFloat;
    return true;
}

bool CPropSet::WritePropString(std::string_view key, std::string_view value) {
    auto& prop = Slot<CStringProp, CStringProp>(key);
    prop.m_value = value;
    prop.m_nType = kPropString;
    return true;
}

bool CPropSet::WritePropBool(std::string_view key, int value) {
    auto& prop = Slot<CWordProp, CBoolProp>(key);
    prop.SetInt(value);
    prop.m_nType = kPropBool;
    return true;
}

bool CPropSet::WritePropBlob(std::string_view key, std::span<const std::uint8_t> data) {
    auto& prop = Slot<CBlobProp, CBlobProp>(key);
    prop.SetData(data);
    prop.m_nType = kPropBlob;
    return true;
}

bool CPropSet::WritePropObj(std::string_view key, std::unique_ptr<CObject> object) {
    auto& prop = Slot<CObjProp, CObjProp>(key);
    prop.m_object = std::move(object);
    prop.m_nType = kPropObj;
    return true;
}

std::int32_t CPropSet::ReadPropInt(std::string_view key, std::int32_t def, bool create) {
    if (const auto* prop = Find<CWordProp>(key, kPropInt)) {
        return prop->GetInt();
    }
    if (create && !IsKey(key)) {
        WritePropInt(key, def);
    }
    return def;
}

float CPropSet::ReadPropFloat(std::string_view key, float def, bool create) {
    if (const auto* prop = Find<CWordProp>(key, kPropFloat)) {
        return prop->GetFloat();
    }
    if (create && !IsKey(key)) {
        WritePropFloat(key, def);
    }
    return def;
}

const std::string& CPropSet::ReadPropString(std::string_view key, const std::string& def,
                                            bool create) {
    if (const auto* prop = Find<CStringProp>(key, kPropString)) {
        return prop->m_value;
    }
    if (create && !IsKey(key)) {
        WritePropString(key, def);
    }
    return def;
}

int CPropSet::ReadPropBool(std::string_view key, int def, bool create) {
    if (const auto* prop = Find<CWordProp>(key, kPropBool)) {
        return prop->GetInt();
    }
    if (create && !IsKey(key)) {
        WritePropBool(key, def);
    }
    return def;
}

const std::uint8_t* CPropSet::ReadPropBlob(std::string_view key) const {
    const auto* prop = Find<CBlobProp>(key, kPropBlob);
    return prop ? prop->m_data.get() : nullptr;
}

std::uint32_t CPropSet::GetBlobSize(std::string_view key) const {
    const auto* prop = Find<CBlobProp>(key, kPropBlob);
    return prop ? prop->m_size : 0;
}

CObject* CPropSet::ReadPropObj(std::string_view key) const {
    const auto* prop = Find<CObjProp>(key, kPropObj);
    return prop ? prop->m_object.get() : nullptr;
}

void CPropSet::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteString(m_moduleName);
        ar.WriteString(m_name);
        ar.WriteCount(m_values.size());
        for (const auto& [key, value] : m_values) {
            ar.WriteString(key);
            ar.WriteObject(*value);
        }
        return;
    }
    m_moduleName = ar.ReadString();
    m_name = ar.ReadString();
    const std::size_t count = ar.ReadCount();
    for (std::size_t i = 0; i < count; ++i) {
        std::string key = ar.ReadString();
        auto value = ar.ReadObject(CProp::classCProp);
        // A key that occurs twice keeps the later value.
        m_values.insert_or_assign(std::move(key),
                                  std::unique_ptr<CProp>(static_cast<CProp*>(value.release())));
    }
}

PropFileResult CPropSet::SaveWithReason(const std::string& fileName) {
    m_moduleName = ModuleFileName();
    return propfile::Save(*this, propfile::Resolve(fileName, m_extension));
}

PropFileResult CPropSet::LoadWithReason(const std::string& fileName) {
    const std::string path = propfile::Resolve(fileName, m_extension);
    DeleteAll();
    return propfile::Load(*this, path);
}

bool CPropSet::Save(const std::string& fileName) {
    return propfile::Succeeded(SaveWithReason(fileName));
}

bool CPropSet::Load(const std::string& fileName) {
    return propfile::Succeeded(LoadWithReason(fileName));
}

} // namespace kestrum
