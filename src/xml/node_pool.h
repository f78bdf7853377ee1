// Memory for the nodes of XML documents. A parse makes a node per element, a million for a large
// reply, and frees them all together: slabs of node-sized slots are handed out in order by the
// thread that creates nodes, and a slab goes back to the system when the last of its nodes is
// freed, by whichever thread frees it.
#pragma once

#include <cstddef>

namespace xunda::node_pool {

// Room for one node of `size` bytes (the same size on every call).
void* Allocate(std::size_t size);
// Gives back what Allocate gave for the same size.
void Free(void* slot, std::size_t size) noexcept;

}  // namespace xunda::node_pool
