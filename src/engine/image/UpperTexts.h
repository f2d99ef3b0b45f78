#pragma once

#include "ImageValues.h"

#include <cstdint>
#include <vector>

class ImageRows;
class TableSource;

// A field's texts upper-cased as the engine's UPPER computes them (NULL stays empty), which the
// title search compares with what is typed, and the look-up of equal ones.
namespace UpperTexts {

// From the values held.
ImageTexts of(const ImageValues& values, uint32_t rows);
// Upper-cased as the file is read, so the field's own texts need not be held (the field
// checked, the row ids read). A row another program added since is left out; one it deleted
// reads as NULL.
ImageTexts read(const TableSource& source, const ImageRows& rows, int field);

// The slots ordered by the hash of their upper-cased text, for equality look-ups.
std::vector<uint32_t> hashIndex(const ImageTexts& upper, uint32_t rows);
// Slots that are not NULL whose upper-cased text equals `wanted` exactly, ascending.
std::vector<uint32_t> slotsWith(const std::vector<uint32_t>& index, const ImageTexts& upper,
                                const ImageValues& values, QByteArrayView wanted);

} // namespace UpperTexts
