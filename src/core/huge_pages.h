// Large fresh buffers filled from their start (a long reply body, the nodes of a large document)
// pay the kernel a first touch for every page: a fault and the zeroing of the page. Backed by huge
// pages they pay one per 2 MiB instead.
#pragma once

#include <span>

namespace xunda {

// Asks for huge pages under the whole 2 MiB stretches of the memory. Only a hint: where the system
// has no huge pages, nothing changes.
void AdviseHugePages(std::span<char> memory);

}  // namespace xunda
