// Open objects of one kind behind opaque Win32 handles.
#ifndef STRATA_PLATFORM_SIM_HANDLETABLE_H
#define STRATA_PLATFORM_SIM_HANDLETABLE_H

#include <cstdint>
#include <map>

#include "platform/win32.h"

namespace strata_sim {

// Hands out handle values unique across all tables, so a handle of one
// kind never finds an object of another.
std::uintptr_t NextHandleValue();

template <class Object>
class HandleTable {
public:
    HANDLE Add(Object object) {
        const std::uintptr_t value = NextHandleValue();
        objects_.emplace(value, std::move(object));
        return reinterpret_cast<HANDLE>(value);
    }
    Object* Find(HANDLE handle) {
        auto it = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
        return it == objects_.end() ? nullptr : &it->second;
    }
    bool Remove(HANDLE handle) { return objects_.erase(reinterpret_cast<std::uintptr_t>(handle)) != 0; }
    std::size_t Size() const { return objects_.size(); }

private:
    std::map<std::uintptr_t, Object> objects_;
};

}  // namespace strata_sim

#endif
