// The children of a node, in a list made for the first one: a node without children (every row of
// a data reply) keeps a single pointer for them.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace xunda {

class XmlNode;

class XmlChildList {
  public:
    using Item = std::unique_ptr<XmlNode>;

    XmlChildList() = default;
    ~XmlChildList();
    XmlChildList(const XmlChildList&) = delete;
    XmlChildList& operator=(const XmlChildList&) = delete;

    std::size_t size() const { return items_ ? items_->size() : 0; }
    bool empty() const { return size() == 0; }
    Item* begin() const { return items_ ? items_->data() : nullptr; }
    Item* end() const { return begin() + size(); }
    Item& operator[](std::size_t index) const { return (*items_)[index]; }
    Item& front() const { return items_->front(); }

    void reserve(std::size_t count);
    void push_back(Item item);
    void insert(std::size_t index, Item item);
    // Frees the child at the index.
    void erase(std::size_t index);
    // Frees every child and the list.
    void clear();

  private:
    std::vector<Item>& Items();

    std::unique_ptr<std::vector<Item>> items_;
};

}  // namespace xunda
