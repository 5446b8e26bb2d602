// A hash map keyed by paths that is searched with views of them, without building a string.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tessaly::win32::detail {

// Not noexcept, so that libstdc++ keeps each key's hash in its node: an erase by iterator, a
// rehash and a search past other keys of the bucket then neither hash nor compare paths again.
struct PathHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view str) const {
        return std::hash<std::string_view>{}(str);
    }
};

template <typename T> using PathMap = std::unordered_map<std::string, T, PathHash, std::equal_to<>>;

} // namespace tessaly::win32::detail
