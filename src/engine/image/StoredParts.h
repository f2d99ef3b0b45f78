#pragma once

#include "CodedFields.h"
#include "ImageCacheParts.h"
#include "ImageValues.h"
#include "SortRanks.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace ImageCacheFile {
struct Carried;
class Source;
} // namespace ImageCacheFile

// The parts of the cache file an image was read from that it does not hold in memory yet. Each
// is read when first asked for, and tried once: whether it fits or not, it is forgotten, and
// one that does not fit is built anew by the image.
class StoredParts {
public:
    void take(std::shared_ptr<const ImageCacheFile::Source> source,
              std::map<ImageCacheFile::PartKey, ImageCacheFile::Part> parts);
    bool has(const ImageCacheFile::PartKey& key) const { return m_parts.count(key) != 0; }
    bool has(ImageCacheFile::Kind kind, int field) const {
        return has(ImageCacheFile::PartKey::ofField(kind, field));
    }
    // Those not read yet, to be copied into another cache file as they stand.
    std::vector<ImageCacheFile::Carried> carried() const;

    // Each reads a part of an image of `rows` rows; nothing when there is no such part or it is
    // damaged.
    std::unique_ptr<ImageValues> values(int field, uint32_t rows);
    std::unique_ptr<ImageTexts> upper(int field, uint32_t rows);
    std::optional<std::vector<int32_t>> ranks(int field, uint32_t rows);
    std::unique_ptr<CodedField> coded(int field, uint32_t rows);
    std::optional<std::vector<uint32_t>> order(const SortRanks::Spec& spec, uint32_t rows);

private:
    template <typename Decode> bool read(const ImageCacheFile::PartKey& key, Decode decode);
    std::shared_ptr<const ImageCacheFile::Source> m_source;
    std::map<ImageCacheFile::PartKey, ImageCacheFile::Part> m_parts;
};
