#include "kestrum/propstore/cpropdb.h"

#include "kestrum/propstore/carchive.h"
#include "kestrum/util/modulefilename.h"
#include "propfile.h"

#include <utility>

namespace kestrum {

constinit const CRuntimeClass CPropDb::classCPropDb{"CPropDb", 1, &CObject::classCObject,
                                                    &CPropDb::CreateObject};

std::unique_ptr<CObject> CPropDb::CreateObject() {
    return std::make_unique<CPropDb>();
}

CPropDb::CPropDb() = default;
CPropDb::CPropDb(CPropDb&&) noexcept = default;
CPropDb& CPropDb::operator=(CPropDb&&) noexcept = default;
CPropDb::~CPropDb() = default;

void CPropDb::Swap(CPropDb& other) noexcept {
    CPropDb held(std::move(other));
    other = std::move(*this);
    *this = std::move(held);
}

const CRuntimeClass& CPropDb::GetRuntimeClass() const {
    return classCPropDb;
}

const CPropSet* CPropDb::FindSet(std::string_view section) const {
    if (section.empty()) {
        return &m_defaultSet;
    }
    const auto it = m_sections.find(section);
    return it == m_sections.end() ? nullptr : it->second.get();
}

CPropSet* CPropDb::FindSet(std::string_view section) {
    return const_cast<CPropSet*>(std::as_const(*this).FindSet(section));
}

CPropSet& CPropDb::SetForWrite(std::string_view section) {
    CPropSet* set = FindSet(section);
    if (set == nullptr) {
        set = m_sections.emplace(std::string(section), std::make_unique<CPropSet>())
                  .first->second.get();
    }
    // Every write names the set after its section, also one that a file brought in under
    // another name, so that the next save writes the name the section has.
    set->SetName(section);
    return *set;
}

int CPropDb::GetType(std::string_view section, std::string_view key) const {
    const CPropSet* set = FindSet(section);
    return set ? set->GetType(key) : kPropNone;
}

bool CPropDb::IsKey(std::string_view section, std::string_view key) const {
    const CPropSet* set = FindSet(section);
    return set && set->IsKey(key);
}

bool CPropDb::IsSet(std::string_view section) const {
    return FindSet(section) != nullptr;
}

void CPropDb::DeleteKey(std::string_view section, std::string_view key) {
    if (CPropSet* set = FindSet(section)) {
        set->DeleteKey(key);
    }
}

void CPropDb::DeleteAll() {
    m_sections.clear();
    m_defaultSet.DeleteAll();
}

bool CPropDb::WritePropInt(std::string_view section, std::string_view key, std::int32_t value) {
    return SetForWrite(section).WritePropInt(key, value);
}

bool CPropDb::WritePropFloat(std::string_view section, std::string_view key, float value) {
    return SetForWrite(section).WritePropFloat(key, value);
}

bool CPropDb::WritePropString(std::string_view section, std::string_view key,
                              std::string_view value) {
    return SetForWrite(section).WritePropString(key, value);
}

bool CPropDb::WritePropBool(std::string_view section, std::string_view key, int value) {
    return SetForWrite(section).WritePropBool(key, value);
}

bool CPropDb::WritePropBlob(std::string_view section, std::string_view key,
                            std::span<const std::uint8_t> data) {
    return SetForWrite(section).WritePropBlob(key, data);
}

bool CPropDb::WritePropObj(std::string_view section, std::string_view key,
                           std::unique_ptr<CObject> object) {
    return SetForWrite(section).WritePropObj(key, std::move(object));
}

std::int32_t CPropDb::ReadPropInt(std::string_view section, std::string_view key, std::int32_t def,
                                  bool create) {
    if (CPropSet* set = FindSet(section)) {
        return set->ReadPropInt(key, def, create);
    }
    if (create) {
        WritePropInt(section, key, def);
    }
    return def;
}

float CPropDb::ReadPropFloat(std::string_view section, std::string_view key, float def,
                             bool create) {
    if (CPropSet* set = FindSet(section)) {
        return set->ReadPropFloat(key, def, create);
    }
    if (create) {
        WritePropFloat(section, key, def);
    }
    return def;
}

const std::string& CPropDb::ReadPropString(std::string_view section, std::string_view key,
                                           const std::string& def, bool create) {
    if (CPropSet* set = FindSet(section)) {
        return set->ReadPropString(key, def, create);
    }
    if (create) {
        WritePropString(section, key, def);
    }
    return def;
}

int CPropDb::ReadPropBool(std::string_view section, std::string_view key, int def, bool create) {
    if (CPropSet* set = FindSet(section)) {
        return set->ReadPropBool(key, def, create);
    }
    if (create) {
        WritePropBool(section, key, def);
    }
    return def;
}

const std::uint8_t* CPropDb::ReadPropBlob(std::string_view section, std::string_view key) const {
    const CPropSet* set = FindSet(section);
    return set ? set->ReadPropBlob(key) : nullptr;
}

std::uint32_t CPropDb::GetBlobSize(std::string_view section, std::string_view key) const {
    const CPropSet* set = FindSet(section);
    return set ? set->GetBlobSize(key) : 0;
}

CObject* CPropDb::ReadPropObj(std::string_view section, std::string_view key) const {
    const CPropSet* set = FindSet(section);
    return set ? set->ReadPropObj(key) : nullptr;
}

std::string CPropDb::GetDefaultFileName() const {
    return propfile::Resolve({}, m_extension);
}

void CPropDb::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteString(m_moduleName);
        ar.WriteString(m_name);
        ar.WriteDWord(m_headerWord1);
        ar.WriteDWord(m_headerWord2);
        m_defaultSet.Serialize(ar);
        ar.WriteCount(m_sections.size());
        for (const auto& [name, set] : m_sections) {
            ar.WriteString(name);
            ar.WriteObject(*set);
        }
        return;
    }
    m_moduleName = ar.ReadString();
    m_name = ar.ReadString();
    // The header words are read past; the database keeps its own.
    ar.ReadDWord();
    ar.ReadDWord();
    m_defaultSet.Serialize(ar);
    const std::size_t count = ar.ReadCount();
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = ar.ReadString();
        auto set = ar.ReadObject(CPropSet::classCPropSet);
        m_sections.insert_or_assign(
            std::move(name), std::unique_ptr<CPropSet>(static_cast<CPropSet*>(set.release())));
    }
}

PropFileResult CPropDb::SaveWithReason(const std::string& fileName) {
    m_moduleName = ModuleFileName();
    return propfile::Save(*this, propfile::Resolve(fileName, m_extension));
}

PropFileResult CPropDb::LoadWithReason(const std::string& fileName) {
    const std::string path = propfile::Resolve(fileName, m_extension);
    DeleteAll();
    return propfile::Load(*this, path);
}

bool CPropDb::Save(const std::string& fileName) {
    return propfile::Succeeded(SaveWithReason(fileName));
}

bool CPropDb::Load(const std::string& fileName) {
    return propfile::Succeeded(LoadWithReason(fileName));
}

} // namespace kestrum
