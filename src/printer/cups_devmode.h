#pragma once

// The document settings as the CUPS platform fills them: the fields it carries and the values of colour, duplex
// and collation.

#include "printer/n_printer.h"

#include <cstdint>

namespace printer::devmode {

constexpr std::uint16_t color_monochrome = 1;
constexpr std::uint16_t color_color = 2;
constexpr std::uint16_t duplex_simplex = 1;
constexpr std::uint16_t duplex_vertical = 2;   // long edge
constexpr std::uint16_t duplex_horizontal = 3; // short edge
constexpr std::uint16_t collate_true = 1;

constexpr std::uint32_t document_fields = n_printer::dm_orientation | n_printer::dm_papersize
    | n_printer::dm_paperlength | n_printer::dm_paperwidth | n_printer::dm_copies | n_printer::dm_color
    | n_printer::dm_duplex | n_printer::dm_collate;

} // namespace printer::devmode
