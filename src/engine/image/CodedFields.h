#pragma once

#include "ImageValues.h"

#include <cstdint>
#include <functional>
#include <vector>

class ImageRows;
class TableSource;

// A field held as the number of its distinct value in each slot: a rubric, a rating or an
// issue takes four bytes a row instead of its texts, and a condition or a walk looks at each
// distinct value once.
struct CodedField {
    std::vector<int32_t> codes; // per slot, an index into `distinct`
    ImageValues distinct;
};

namespace CodedFields {

// One pass over the file for the distinct values of `fields` (checked, not empty, the row ids
// read): hands each field's distinct values and the one each slot holds to
// `take(k, distinct, codes)`, which may take both. A row gone since the row ids were read holds
// NULL; one added since is left out.
void read(const TableSource& source, const ImageRows& rows, const std::vector<int>& fields,
          const std::function<void(size_t, ImageValues&, std::vector<int32_t>&)>& take);

} // namespace CodedFields
