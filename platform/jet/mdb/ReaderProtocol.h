#pragma once
// The reader service: one reader process (parabase-mdb-reader --serve) kept
// running for the program, its standard input one end of a SOCK_SEQPACKET
// socket. It never reads a file itself: for each file it forks a fresh child,
// which reads that file alone and writes the reply (Snapshot.h) to a pipe the
// program handed over with the request. So a damaged file still harms only its
// own child, and every child starts from a process that is already loaded and
// warm. Integers are little-endian.
//
//   Read    [1][mode u8][time limit ms u32][path bytes]  + SCM_RIGHTS(reply fd)
//           answer [i32: the child's pid, or -errno when it cannot fork]
//   Kill    [2][pid i32]
//           The service kills the child, reaps it and answers [i32: its wait
//           status, or -1 for no such child].
// The service reaps children that end by themselves; the program asks to kill
// only a child it has to stop, and only the service kills, so a process id is
// never signalled after it was reaped.
#include <cstdint>
#include <cstring>
#include <string>

namespace jet::mdb::protocol {

inline constexpr uint8_t kRead = 1;
inline constexpr uint8_t kKill = 2;
inline constexpr size_t kMaxPath = 16384;

inline void putU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline uint32_t getU32(const char* p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    return v;
}

}  // namespace jet::mdb::protocol
