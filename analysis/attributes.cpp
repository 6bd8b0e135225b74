#include "analysis/attributes.h"

#include <algorithm>
#include <map>
#include <ostream>
#include <set>

#include "analysis/filter.h"
#include "api/quoted_string.h"

namespace zel {
namespace kavero {

const std::string invalid_cast;

namespace {

bool is_private_key(const std::string& key) {
  return !key.empty() && key[0] == '_';
}

}  // namespace

const std::string& to_string(const boost::any& value) {
  if (const std::string* text = boost::any_cast<std::string>(&value)) {
    return *text;
  }
  if (const AttributeFormatValue* f =
          boost::any_cast<AttributeFormatValue>(&value)) {
    return f->resolved.empty() ? f->format : f->resolved;
  }
  return invalid_cast;
}

const std::string& raw_string(const boost::any& value) {
  return to_string(value);
}

Attributes::const_iterator Attributes::lower_bound(
    const std::string& key) const {
  return std::lower_bound(
      items_.begin(), items_.end(), key,
      [](const Attribute& entry, const std::string& k) {
        return entry.first < k;
      });
}

bool Attributes::has_attribute(const std::string& key) const {
  auto it = lower_bound(key);
  return it != items_.end() && it->first == key;
}

const std::string& Attributes::get_attribute(const std::string& key) const {
  auto it = lower_bound(key);
  if (it == items_.end() || it->first != key) return invalid_cast;
  return to_string(it->second);
}

unsigned Attributes::add(const Attribute& pair) {
  auto it = lower_bound(pair.first);
  const std::string& text = raw_string(pair.second);
  for (; it != items_.end() && it->first == pair.first; ++it) {
    if (raw_string(it->second) == text) return 0;
  }
  items_.insert(it, pair);
  return 1;
}

unsigned Attributes::add(const std::string& key, const std::string& text) {
  return add(Attribute(key, boost::any(text)));
}

unsigned Attributes::add(const Attributes& other) {
  // Adding a list to itself must not walk entries it is inserting.
  if (&other == this) {
    const Attributes copy = other;
    return add(copy);
  }
  unsigned added = 0;
  for (const Attribute& pair : other) added += add(pair);
  return added;
}

void Attributes::remove_attributes(const std::string& key) {
  items_.erase(std::remove_if(items_.begin(), items_.end(),
                              [&](const Attribute& entry) {
                                return entry.first == key;
                              }),
               items_.end());
}

void Attributes::remove_key(const std::string& key) {
  for (;;) {
    auto it = std::find_if(
        items_.begin(), items_.end(),
        [&](const Attribute& entry) { return entry.first == key; });
    if (it == items_.end()) return;
    items_.erase(it);
  }
}

Attributes::iterator Attributes::erase(iterator position) {
  return items_.erase(position);
}

void Attributes::remove_attribute(const std::string& key,
                                  const std::string& value) {
  std::function<bool(const std::string&)> accept;
  if (value.size() > 1 && value.front() == '/' && value.back() == '/') {
    accept = RegexFilter(value.substr(1, value.size() - 2));
  } else {
    accept = LiteralFilter(value);
  }
  for (auto it = items_.begin(); it != items_.end();) {
    if (it->first == key && accept(to_string(it->second))) {
      it = items_.erase(it);
    } else {
      ++it;
    }
  }
}

bool has(const Attributes& list, const std::string& key) {
  return std::any_of(list.begin(), list.end(), [&](const Attribute& entry) {
    return entry.first == key;
  });
}

const std::string& get_value(const Attributes& list, const std::string& key) {
  for (const Attribute& entry : list) {
    if (entry.first == key) return to_string(entry.second);
  }
  return invalid_cast;
}

std::ostream& operator<<(std::ostream& out, const Attributes& list) {
  for (const Attribute& entry : list) {
    out << entry.first << "=" << to_string(entry.second) << ";";
  }
  return out;
}

bool ConceptAttributes::CAFT_None(const std::string&) { return true; }

bool ConceptAttributes::has_attribute(const std::string& key) const {
  if (own.has_attribute(key)) return true;
  return store != nullptr && store->has_attribute(key);
}

const std::string& ConceptAttributes::get_attribute(
    const std::string& key) const {
  if (own.has_attribute(key)) return own.get_attribute(key);
  if (store != nullptr) return store->get_attribute(key);
  return invalid_cast;
}

unsigned ConceptAttributes::add(const Attribute& pair,
                                ConceptAttributeStoreType type) {
  if (type == kStoreWhenShared && store != nullptr &&
      !is_private_key(pair.first)) {
    return store->add(pair);
  }
  return own.add(pair);
}

unsigned ConceptAttributes::add(const std::string& key,
                                const std::string& text,
                                ConceptAttributeStoreType type) {
  return add(Attribute(key, boost::any(text)), type);
}

unsigned ConceptAttributes::add(const Attributes& list,
                                ConceptAttributeStoreType type) {
  unsigned added = 0;
  for (const Attribute& pair : list) added += add(pair, type);
  return added;
}

void ConceptAttributes::remove_attribute(const std::string& key,
                                         const std::string& value) {
  own.remove_attribute(key, value);
  if (store != nullptr) store->remove_attribute(key, value);
}

void ConceptAttributes::share_from_this(Attributes& other) {
  if (store == nullptr) store = std::make_shared<Attributes>();
  std::set<std::string> taken;
  for (const Attribute& pair : other) {
    if (is_private_key(pair.first)) continue;
    store->add(pair);
    taken.insert(pair.first);
  }
  for (const std::string& key : taken) other.remove_attributes(key);
}

namespace {

// The common walk of both sharing forms: `take` decides per pair whether it
// is copied into `target`; every visited key is recorded.
template <typename Take>
void share_into(Attributes& target, ConceptAttributes& other,
                const ConceptAttributes::KeyPredicate& accept,
                const Take& take) {
  std::set<std::string> visited;
  // When both already share one store, its pairs are in place.
  if (other.store != nullptr && other.store.get() != &target) {
    for (const Attribute& pair : *other.store) {
      if (!accept(pair.first)) continue;
      take(pair);
      visited.insert(pair.first);
    }
  }
  for (const Attribute& pair : other.own) {
    if (is_private_key(pair.first) || !accept(pair.first)) continue;
    take(pair);
    visited.insert(pair.first);
  }
  for (const std::string& key : visited) other.own.remove_attributes(key);
}

}  // namespace

void ConceptAttributes::share_from_this(ConceptAttributes& other,
                                        const KeyPredicate& accept) {
  if (store == nullptr) store = std::make_shared<Attributes>();
  if (&other == this) return;
  Attributes& target = *store;
  share_into(target, other, accept,
             [&](const Attribute& pair) { target.add(pair); });
  other.store = store;
}

void ConceptAttributes::share_from_this_uniq(ConceptAttributes& other) {
  if (store == nullptr) store = std::make_shared<Attributes>();
  if (&other == this) return;
  Attributes& target = *store;
  share_into(target, other, CAFT_None, [&](const Attribute& pair) {
    if (!target.has_attribute(pair.first)) target.add(pair);
  });
  other.store = store;
}

SharedAttributes::SharedAttributes() {
  store = std::make_shared<Attributes>();
}

std::ostream& operator<<(std::ostream& out, const ConceptAttributes& a) {
  out << a.own;
  if (a.store != nullptr) out << *a.store;
  return out;
}

std::ostream& operator<<(std::ostream& out, const print_verbose& p) {
  for (const Attribute& entry : p.attributes.own) {
    out << "l:" << entry.first << ":" << to_string(entry.second) << ";";
  }
  if (p.attributes.store != nullptr) {
    for (const Attribute& entry : *p.attributes.store) {
      out << "s:" << entry.first << ":" << to_string(entry.second) << ";";
    }
  }
  return out;
}

void to_json(std::ostream& out, const ConceptAttributes& a,
             const std::function<bool(const std::string&)>& accept) {
  // Gather the values per key first: a key in both lists must come out as
  // one member, or a JSON reader keeps only one of its arrays.
  std::vector<std::pair<const std::string*, std::vector<const std::string*>>>
      groups;
  std::map<std::string, size_t> index;
  auto collect = [&](const Attributes& list) {
    for (const Attribute& entry : list) {
      if (!accept(entry.first)) continue;
      auto found = index.find(entry.first);
      if (found == index.end()) {
        found = index.emplace(entry.first, groups.size()).first;
        groups.emplace_back(&entry.first, std::vector<const std::string*>());
      }
      groups[found->second].second.push_back(&to_string(entry.second));
    }
  };
  collect(a.own);
  if (a.store != nullptr) collect(*a.store);

  out << "{";
  bool first_key = true;
  for (const auto& group : groups) {
    if (!first_key) out << ",";
    first_key = false;
    out << encoded_quoted_string(*group.first) << ":[";
    bool first_value = true;
    for (const std::string* value : group.second) {
      if (!first_value) out << ",";
      first_value = false;
      out << encoded_quoted_string(*value);
    }
    out << "]";
  }
  out << "}";
}

}  // namespace kavero
}  // namespace zel
