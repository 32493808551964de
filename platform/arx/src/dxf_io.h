#pragma once

// Reading and writing DXF text.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "model.h"

namespace arx::detail {

/// Malformed input: the line where it was found and what was wrong.
class ReadError : public std::runtime_error {
public:
    ReadError(std::uint32_t line, const std::string& message)
        : std::runtime_error(message), m_line(line) {}
    std::uint32_t line() const { return m_line; }

private:
    std::uint32_t m_line;
};

/// Reads db.buffer into the (empty) database.
void ReadDxf(DatabaseImpl& db);

/// The database as DXF text.
std::string WriteDxf(const DatabaseImpl& db);

/// A new drawing: release 2010, UTF-8.
extern const char* const kDefaultDrawing;

}  // namespace arx::detail
