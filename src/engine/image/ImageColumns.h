#pragma once

#include "ImageValues.h"

#include <QtGlobal>
#include <memory>
#include <vector>

class ImageRows;
class TableSource;

// Reading whole fields of a table into an image.
namespace ImageColumns {

struct Read {
    std::vector<qint64> rowids;                       // when the row ids were not read before
    std::vector<std::unique_ptr<ImageValues>> values; // one for each field asked for
};

// One pass over the file in row id order for the row ids, when `rows` are not read yet, and
// every one of `fields` (checked): each field's values for every row. A row that came or went
// since the row ids were read is left out or reads as NULL.
Read read(const TableSource& source, const ImageRows& rows, const std::vector<int>& fields);

// Clears the marks of those of `candidates` whose value of `field` is NULL, looking each up in
// the file; a row deleted since the row ids were read holds NULL.
void unmarkNullsAmong(const TableSource& source, const ImageRows& rows, int field,
                      const std::vector<uint32_t>& candidates, std::vector<uint8_t>& marked);

} // namespace ImageColumns
