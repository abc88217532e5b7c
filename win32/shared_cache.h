#pragma once
// Objects made once per key and shared by everyone who asks with the same key, for as long as
// one of them holds on: the next to ask after the last has let go gets a new one. Pure logic;
// one thread at a time.

#include <map>
#include <memory>

namespace tarnelle::win32 {

template <typename Key, typename Object>
class SharedCache {
 public:
  // The object of |key|, made with |make| (which answers a std::shared_ptr<Object>, empty on
  // failure) when none is held. A failure is not kept: the next call tries again.
  template <typename Make>
  [[nodiscard]] std::shared_ptr<Object> Get(const Key& key, Make make) {
    std::erase_if(held_, [](const auto& entry) { return entry.second.expired(); });
    if (std::shared_ptr<Object> held = held_[key].lock()) {
      return held;
    }
    std::shared_ptr<Object> made = make();
    held_[key] = made;
    return made;
  }

 private:
  std::map<Key, std::weak_ptr<Object>> held_;
};

}  // namespace tarnelle::win32
