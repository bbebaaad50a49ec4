#include "engine_config/hook/testing/code_arena.h"

#include <cstring>

std::optional<CodeArena> CodeArena::Create(size_t size, uintptr_t address) {
  const size_t rounded = (size + 0xFFF) & ~size_t{0xFFF};
  unique_virtual_memory memory(::VirtualAlloc(reinterpret_cast<void*>(address), rounded,
                                              MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
  if (!memory || (address && reinterpret_cast<uintptr_t>(memory.get()) != address))
    return std::nullopt;
  return CodeArena(std::move(memory), rounded);
}

std::optional<CodeArena> CodeArena::CreateBetween(uintptr_t from, uintptr_t to, size_t size) {
  for (uint64_t address = from; address + size <= to; address += 0x10000) {
    if (std::optional<CodeArena> arena = Create(size, static_cast<uintptr_t>(address)))
      return arena;
  }
  return std::nullopt;
}

uint8_t* CodeArena::Next(size_t alignment) const {
  return base() + (used_ + alignment - 1) / alignment * alignment;
}

uint8_t* CodeArena::Put(const std::vector<uint8_t>& code, size_t alignment) {
  uint8_t* const at = Next(alignment);
  if (code.empty() || at + code.size() > base() + size_)
    return nullptr;
  std::memcpy(at, code.data(), code.size());
  used_ = at + code.size() - base();
  return at;
}

std::vector<uint8_t> Le32(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

std::vector<uint8_t> Rel32(uint8_t opcode, const void* at, const void* to) {
  const uint32_t end = reinterpret_cast<uintptr_t>(at) + 5;
  return Concat({{opcode}, Le32(reinterpret_cast<uintptr_t>(to) - end)});
}

std::vector<uint8_t> ShortJump(const void* at, const void* to) {
  const int64_t displacement =
      int64_t{reinterpret_cast<intptr_t>(to)} - (int64_t{reinterpret_cast<intptr_t>(at)} + 2);
  if (displacement < -128 || displacement > 127)
    return {};
  return {0xEB, static_cast<uint8_t>(displacement)};
}

std::vector<uint8_t> AddFunction(int32_t k) {
  return Concat({{0x8B, 0xFF,        // mov edi,edi
                  0x55,              // push ebp
                  0x8B, 0xEC,        // mov ebp,esp
                  0x8B, 0x45, 0x08,  // mov eax,[ebp+8]
                  0x03, 0x45, 0x0C,  // add eax,[ebp+12]
                  0x05},             // add eax,imm32
                 Le32(static_cast<uint32_t>(k)),
                 {0x5D, 0xC3}});  // pop ebp; ret
}

std::vector<uint8_t> ConstFunction(int32_t value) {
  return Concat({{0xB8}, Le32(static_cast<uint32_t>(value)), {0xC3}});  // mov eax,imm32; ret
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> code;
  for (const std::vector<uint8_t>& part : parts)
    code.insert(code.end(), part.begin(), part.end());
  return code;
}
