// Block verification work besides the card exchange: SHA-256 of a block and the
// Base64 form of a signer certificate.
#include <benchmark/benchmark.h>

#include "card/sod_signature.h"
#include "support/text.h"

namespace {

void BM_Sha256(benchmark::State& state) {
  const TAVQ::ByteArray block(static_cast<std::size_t>(state.range(0)), 0x5A);
  for (auto _ : state) benchmark::DoNotOptimize(Sha256Hasher::Hash(block));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
}

void BM_Base64(benchmark::State& state) {
  const TAVQ::ByteArray certificate(static_cast<std::size_t>(state.range(0)), 0xA5);
  for (auto _ : state) benchmark::DoNotOptimize(TAVQ::ToBase64(certificate));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * certificate.size()));
}

BENCHMARK(BM_Sha256)->Arg(150)->Arg(1024);
BENCHMARK(BM_Base64)->Arg(1200);

}  // namespace
