#include "xml/child_list.h"

#include "xml/node.h"

namespace xunda {

XmlChildList::~XmlChildList() = default;

std::vector<XmlChildList::Item>& XmlChildList::Items() {
    if (!items_) items_ = std::make_unique<std::vector<Item>>();
    return *items_;
}

void XmlChildList::reserve(std::size_t count) {
    if (count > 0) Items().reserve(count);
}

void XmlChildList::push_back(Item item) {
    Items().push_back(std::move(item));
}

void XmlChildList::insert(std::size_t index, Item item) {
    Items().insert(items_->begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
}

void XmlChildList::erase(std::size_t index) {
    items_->erase(items_->begin() + static_cast<std::ptrdiff_t>(index));
}

void XmlChildList::clear() {
    items_.reset();
}

}  // namespace xunda
