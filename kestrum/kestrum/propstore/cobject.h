#pragma once

#include <kestrum/kestrum_export.h>

#include <cstdint>
#include <memory>
#include <string_view>

namespace kestrum {

class CArchive;
class CObject;

// One entry of the class registry. The name is persisted: it is written into property files
// and looked up when they are read, so it must never change for a registered class.
struct KESTRUM_EXPORT CRuntimeClass {
    std::string_view m_name;
    std::uint16_t m_schema;
    const CRuntimeClass* m_base;             // null only for CObject itself
    std::unique_ptr<CObject> (*m_factory)(); // null for classes that cannot be created

    bool IsDerivedFrom(const CRuntimeClass& base) const;

    // The registered class of that name, or null. Only the classes of the property store are
    // registered: a file can never make the reader create anything else.
    static const CRuntimeClass* FromName(std::string_view name);
};

// Base of everything the archive can write and read.
class KESTRUM_EXPORT CObject {
public:
    static const CRuntimeClass classCObject;

    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
    virtual ~CObject();

    virtual const CRuntimeClass& GetRuntimeClass() const = 0;
    // Writes the object's body when the archive is storing, reads it when loading.
    virtual void Serialize(CArchive& ar) = 0;
};

} // namespace kestrum
