// Decoding a card block and loading it into its block object: the work done per
// block read after the bytes have arrived.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "model/document_block_object.h"
#include "model/variable_admin_block_object.h"
#include "model/variable_perso_block_object.h"
#include "support/exception.h"

namespace {

// The seed files start with one byte that selects the declaration; the block follows.
TAVQ::ByteArray SeedBlock(const std::string& name) {
  std::ifstream file(std::string(KAVRIN_CORPUS_DIR) + "/" + name, std::ios::binary);
  TAVQ::ByteArray bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() < 5) throw CardException(u"missing seed block");
  bytes.erase(bytes.begin());
  return bytes;
}

template <class Block, class Object>
void DecodeAndLoad(benchmark::State& state, const char* seed) {
  const TAVQ::ByteArray bytes = SeedBlock(seed);
  for (auto _ : state) {
    Block block;
    block.Decode(bytes);
    Object object;
    benchmark::DoNotOptimize(object.Load(&block));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_DocumentBlock(benchmark::State& state) {
  DecodeAndLoad<ZK::DocumentDataBlock, ZK::DocumentBlockObject>(state, "document");
}
void BM_VariableAdminBlockFull(benchmark::State& state) {
  DecodeAndLoad<ZK::VariableAdminDataBlock, ZK::VariableAdminBlockObject>(state, "variable_admin_full");
}
void BM_VariablePersoBlock(benchmark::State& state) {
  DecodeAndLoad<ZK::VariablePersoDataBlock, ZK::VariablePersoBlockObject>(state, "variable_perso");
}

BENCHMARK(BM_DocumentBlock);
BENCHMARK(BM_VariableAdminBlockFull);
BENCHMARK(BM_VariablePersoBlock);

}  // namespace
