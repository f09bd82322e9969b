// Carry-less multiplication kernels of CrcEngine: PCLMULQDQ, AVX2 with
// VPCLMULQDQ and AVX-512 on x86, PMULL on aarch64; each is absent elsewhere.
//
// They take the register in lane form (crclanes.h), XOR it into the first data
// bytes and fold whole chunks of data into a short remainder that leaves the
// register unchanged: the engine then runs its table update over the remainder
// from a zero register, and over the bytes the kernel did not take.
#pragma once

#include "crcword.h"

#include <cstddef>
#include <cstdint>
#include <memory>

enum class CrcPath : std::uint8_t;

// For a matched combination: the CRC is a polynomial remainder mod P, of
// degree 1 to 64, so every constant fits 64 bits. Each pair folds a 128-bit
// chunk over a distance of D bits; see MakeFoldConstants.
struct CrcFoldConstants {
    alignas(16) std::uint64_t k128[2];
    alignas(16) std::uint64_t k256[2];
    alignas(16) std::uint64_t k512[2];
    alignas(16) std::uint64_t k1024[2];
    alignas(16) std::uint64_t k2048[2];
    bool normal; // most-significant-bit first: chunks are byte-reversed
};

// For any combination, in a 32-bit lane: the register after n zero-started
// bytes is the sum over bit planes j of (D_j mod modulus)(Step) vectors[j],
// where D_j is the polynomial of bit j of each byte, the first byte the
// highest power, and modulus annihilates every vectors[j] under Step.
struct CrcPlaneBasis {
    alignas(16) std::uint64_t k128[2]; // x^128 and x^192 mod modulus
    std::uint64_t modulus;
    std::uint32_t vectors[8]; // the lane after the byte 1 << j
};

// The constants of the modulus (bit i the coefficient of x^i, degree 1 to 64).
std::unique_ptr<CrcFoldConstants> MakeFoldConstants(CrcWord modulus, bool normal);

bool CpuRunsPmull();
bool CpuRunsPclmul();
bool CpuRunsAvx2Vpclmul();
bool CpuRunsAvx512();
bool CpuRunsGfni();

// The kernel of a folding path for n bytes (n >= 128), as those below.
std::size_t FoldOn(CrcPath path, const CrcFoldConstants& k, std::uint64_t lane,
                   const std::uint8_t* p, std::size_t n, std::uint8_t out[16]);

// Each folds the longest run of whole 16-byte chunks and stores its 16-byte
// remainder in out; they return the bytes taken. n >= 64, n >= 128 for the
// AVX2 kernel and n >= 256 for the AVX-512 one.
std::size_t FoldPmull(const CrcFoldConstants& k, std::uint64_t lane, const std::uint8_t* p,
                      std::size_t n, std::uint8_t out[16]);
std::size_t FoldPclmul(const CrcFoldConstants& k, std::uint64_t lane, const std::uint8_t* p,
                       std::size_t n, std::uint8_t out[16]);
std::size_t FoldAvx2(const CrcFoldConstants& k, std::uint64_t lane, const std::uint8_t* p,
                     std::size_t n, std::uint8_t out[16]);
std::size_t FoldAvx512(const CrcFoldConstants& k, std::uint64_t lane, const std::uint8_t* p,
                       std::size_t n, std::uint8_t out[16]);

// Folds the longest run of whole 128-byte blocks (n >= 128) into one 128-bit
// remainder per bit plane: residues[j] = {low, high} 64 bits, congruent to D_j.
// The AVX2 kernel transposes bits with GFNI's affine step where the CPU has it
// (gfni), else with shifts.
std::size_t FoldPlanesAvx2(const CrcPlaneBasis& basis, std::uint64_t lane, const std::uint8_t* p,
                           std::size_t n, std::uint64_t residues[8][2], bool gfni);
std::size_t FoldPlanesAvx512(const CrcPlaneBasis& basis, std::uint64_t lane, const std::uint8_t* p,
                             std::size_t n, std::uint64_t residues[8][2]);
