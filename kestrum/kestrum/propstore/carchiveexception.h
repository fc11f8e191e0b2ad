#pragma once

#include <kestrum/kestrum_export.h>

#include <stdexcept>
#include <string>

namespace kestrum {

// Every error raised while a property file is written or read.
class KESTRUM_EXPORT CArchiveException : public std::runtime_error {
public:
    enum class Cause { EndOfData, BadClass, BadSchema, BadIndex, FileError, OutOfMemory };

    // what() names the cause ("end of data", "bad class", ...), followed by the detail if any.
    explicit CArchiveException(Cause cause, const std::string& detail = {});
    ~CArchiveException() override;

    Cause GetCause() const { return m_cause; }

    static const char* CauseName(Cause cause);

private:
    Cause m_cause;
};

} // namespace kestrum
