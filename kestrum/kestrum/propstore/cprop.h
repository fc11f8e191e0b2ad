#pragma once

#include <kestrum/kestrum_export.h>
#include <kestrum/propstore/cobject.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kestrum {

// Type codes of property values. The code, not the class, says which read a value answers.
enum PropType : int {
    kPropNone = -1,
    kPropInt = 0,
    kPropFloat = 1,
    kPropString = 2,
    kPropBool = 3,
    kPropBlob = 4,
    kPropObj = 5,
};

// One typed value stored under one key of a property set. The set reads and writes the fields
// directly; the value classes only know how to serialise themselves.
class KESTRUM_EXPORT CProp : public CObject {
public:
    static const CRuntimeClass classCProp;
    static std::unique_ptr<CObject> CreateObject();

    const CRuntimeClass& GetRuntimeClass() const override;
    // A bare value has no payload: it writes and reads nothing, not even its type code.
    void Serialize(CArchive& ar) override;

    // Stays kPropNone until the set stores a payload or the value is read from a file.
    int m_nType = kPropNone;
};

// The integer, float and boolean values share this layout: a type code and one 32-bit payload.
// The set may therefore store any of the three kinds into a value object of any of the three
// classes; the object keeps its class and is saved under it with the new type code.
class KESTRUM_EXPORT CWordProp : public CProp {
public:
    void Serialize(CArchive& ar) override;

    std::int32_t GetInt() const { return static_cast<std::int32_t>(m_word); }
    float GetFloat() const;
    void SetInt(std::int32_t value) { m_word = static_cast<std::uint32_t>(value); }
    void SetFloat(float value);

    std::uint32_t m_word = 0; // the payload's bits, whatever its kind
};

class KESTRUM_EXPORT CIntProp : public CWordProp {
public:
    static const CRuntimeClass classCIntProp;
    static std::unique_ptr<CObject> CreateObject();
    const CRuntimeClass& GetRuntimeClass() const override;
};

class KESTRUM_EXPORT CFloatProp : public CWordProp {
public:
    static const CRuntimeClass classCFloatProp;
    static std::unique_ptr<CObject> CreateObject();
    const CRuntimeClass& GetRuntimeClass() const override;
};

// The truth value is kept exactly as written: 2 stays 2.
class KESTRUM_EXPORT CBoolProp : public CWordProp {
public:
    static const CRuntimeClass classCBoolProp;
    static std::unique_ptr<CObject> CreateObject();
    const CRuntimeClass& GetRuntimeClass() const override;
};

class KESTRUM_EXPORT CStringProp : public CProp {
public:
    static const CRuntimeClass classCStringProp;
    static std::unique_ptr<CObject> CreateObject();
    const CRuntimeClass& GetRuntimeClass() const override;
    void Serialize(CArchive& ar) override;

    std::string m_value; // the bytes as given, never converted
};

class KESTRUM_EXPORT CBlobProp : public CProp {
public:
    static const CRuntimeClass classCBlobProp;
    static std::unique_ptr<CObject> CreateObject();
    const CRuntimeClass& GetRuntimeClass() const override;
    void Serialize(CArchive& ar) override;

    // Replaces the buffer by a copy of bytes. Even an empty blob holds a buffer of its own, so
    // that a read can tell an empty blob from a missing one.
    void SetData(std::span<const std::uint8_t> bytes);

    std::unique_ptr<std::uint8_t[]> m_data; // owned copy of the bytes, null before the first store
    std::uint32_t m_size = 0;
};

// An object value exists in memory only (property descriptions of the settings dialog): the
// saved form does not name the object's class, so it cannot be read back and is refused.
class KESTRUM_EXPORT CObjProp : public CProp {
public:
    static const CRuntimeClass classCObjProp;
    static std::unique_ptr<CObject> CreateObject();
    const CRuntimeClass& GetRuntimeClass() const override;
    void Serialize(CArchive& ar) override;

    std::unique_ptr<CObject> m_object;
};

} // namespace kestrum
