#pragma once

// The SQL that creates an empty project store and an empty parts database (the texts of
// project-schema.sql and parts-schema.sql beside this library), for the tools that write
// projects.

#include <string_view>

namespace zelko {

std::string_view ProjectStoreSchema();
std::string_view PartsDatabaseSchema();

}  // namespace zelko
