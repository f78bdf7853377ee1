// Memory for the nodes of XML documents. A parse makes a node per element, a million for a large
// reply, and frees them all together; some nodes outlive their parse (a row taken out of a reply,
// a document that grows between parses). Nodes come from slabs of node-sized slots: a thread hands
// out the slots of one slab at a time, fresh ones first, then the ones freed since (by any
// thread); a slab it lets go of is taken up again by a thread that needs slots while it has room,
// and goes back to the system when its last node is freed. A node kept from a parse therefore
// holds at most its slab, and the slots around it serve later nodes.
#pragma once

#include <cstddef>

namespace xunda::node_pool {

// Slabs start on boundaries of their size, so that a slot finds its slab by its address. The size
// bounds what one kept node holds.
inline constexpr std::size_t SlabSize = std::size_t{256} << 10;

// Room for one node of `size` bytes (the same size on every call).
void* Allocate(std::size_t size);
// Gives back what Allocate gave for the same size.
void Free(void* slot, std::size_t size) noexcept;
// The memory of the slabs that hold nodes or hand them out now (the few empty slabs kept for the
// next parse not counted).
std::size_t BytesInUse();

}  // namespace xunda::node_pool
