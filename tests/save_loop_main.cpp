// hv_save_loop: saves without end so that a test can kill it at any moment and then check what
// is on disk. After each save it prints "saved N" on standard output, so the killer knows the
// newest generation that must have survived.
//
//   hv_save_loop settings FILE       the settings file, every field of generation N
//   hv_save_loop registry FILE       two values written in one transaction, both N
//   hv_save_loop writer FILE NAME K  K values NAME-0..NAME-(K-1), one write each, then exits
//   hv_save_loop batch-writer FILE NAME K  the same, in batches of kWriterBatch writes
//   hv_save_loop batch FILE          kBatchValues values written one by one in one batch, all N
//   hv_save_loop batch-half FILE N   a batch that writes half of those values as generation N,
//                                    prints "half" and waits to be killed
//   hv_save_loop check-batch FILE    like check-registry, for the batch's values
//   hv_save_loop check-settings FILE / check-registry FILE
//                                    prints the generation found ("none" when there is no
//                                    file yet); exit 1 when the file does not load or its
//                                    fields belong to different generations
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "client/cmdfile/client_storage.h"
#include "client/cmdfile/monitor_command_file.h"
#include "client/cmdfile/settings_file.h"
#include "core/profile/registry_store.h"
#include "core/status.h"

namespace hv {

namespace {

constexpr const char* kKey = "Software\\Orvane LLC\\Varnholt\\Save Loop";

int Usage() {
  std::fputs(
      "usage: hv_save_loop settings|registry|check-settings|check-registry FILE\n"
      "       hv_save_loop writer|batch-writer FILE NAME COUNT\n",
      stderr);
  return 2;
}

std::string Name(uint32_t generation) { return "gen-" + std::to_string(generation); }

void Announce(uint32_t generation) {
  std::printf("saved %u\n", generation);
  std::fflush(stdout);
}

int SettingsLoop(const char* path) {
  cClientStorage storage;
  if (storage.Initialise().code() != 0) return 1;
  cMonitorCommandFile& monitor = *storage.Monitor();
  for (uint32_t generation = 1;; ++generation) {
    // Every field that can tell generations apart carries this one.
    monitor.file_name = Name(generation).c_str();
    monitor.monitored_directory = ("/watch/" + Name(generation)).c_str();
    monitor.processed_directory = ("/done/" + Name(generation)).c_str();
    monitor.response_file_name = ("/answer/" + Name(generation)).c_str();
    monitor.interval = generation;
    monitor.start_time = generation;
    if (SaveClientStorage(path, storage, nullptr).code() != 0) {
      std::fprintf(stderr, "hv_save_loop: save %u failed\n", generation);
      return 1;
    }
    Announce(generation);
  }
}

// The generation every field agrees on, 0 when they disagree.
uint32_t GenerationOf(const cMonitorCommandFile& monitor) {
  const uint32_t generation = monitor.interval;
  const std::string name = Name(generation);
  const bool same = std::string(monitor.file_name.CStr()) == name &&
                    std::string(monitor.monitored_directory.CStr()) == "/watch/" + name &&
                    std::string(monitor.processed_directory.CStr()) == "/done/" + name &&
                    std::string(monitor.response_file_name.CStr()) == "/answer/" + name &&
                    monitor.start_time == generation;
  return same ? generation : 0;
}

int CheckSettings(const char* path) {
  if (std::FILE* file = std::fopen(path, "rb")) {
    std::fclose(file);
  } else {
    std::puts("none");
    return 0;
  }
  std::unique_ptr<cClientStorage> storage;
  const int32_t rc = LoadClientStorage(path, &storage, nullptr).code();
  if (rc != hv::kOk || storage == nullptr || storage->Monitor() == nullptr) {
    std::fprintf(stderr, "hv_save_loop: the settings file does not load (0x%08x)\n",
                 static_cast<uint32_t>(rc));
    return 1;
  }
  const uint32_t generation = GenerationOf(*storage->Monitor());
  if (generation == 0) {
    std::fputs("hv_save_loop: the settings file mixes generations\n", stderr);
    return 1;
  }
  std::printf("%u\n", generation);
  return 0;
}

std::unique_ptr<swRegistryStore> OpenStore(const char* path) {
  std::unique_ptr<swRegistryStore> store;
  const hv::Status opened = swRegistryStore::Open(path, &store);
  if (!opened.ok()) std::fprintf(stderr, "hv_save_loop: %s\n", opened.message().c_str());
  return store;
}

int RegistryLoop(const char* path) {
  auto store = OpenStore(path);
  if (store == nullptr) return 1;
  for (uint32_t generation = 1;; ++generation) {
    swRegistryValue first{"First", kRegistryNumber, swRegistryValue::NumberData(generation)};
    swRegistryValue second{"Second", kRegistryText, Name(generation)};
    // Both values in one transaction: a kill must never leave one without the other.
    if (!store->Begin().ok() || !store->SetValue(kKey, first).ok() ||
        !store->SetValue(kKey, second).ok() || !store->Commit().ok()) {
      std::fprintf(stderr, "hv_save_loop: registry write %u failed\n", generation);
      return 1;
    }
    Announce(generation);
  }
}

int CheckRegistry(const char* path) {
  auto store = OpenStore(path);
  if (store == nullptr) return 1;
  swRegistryValue first;
  swRegistryValue second;
  const int a = store->GetValue(kKey, "First", &first).code();
  const int b = store->GetValue(kKey, "Second", &second).code();
  if (a != kStoreOk && b != kStoreOk) {
    std::puts("none");
    return 0;
  }
  uint32_t generation = 0;
  if (a != kStoreOk || b != kStoreOk || !first.AsNumber(&generation) ||
      second.data != Name(generation)) {
    std::fputs("hv_save_loop: the registry holds values of different writes\n", stderr);
    return 1;
  }
  std::printf("%u\n", generation);
  return 0;
}

constexpr uint32_t kBatchValues = 40;

std::string BatchName(uint32_t index) { return "Batch " + std::to_string(index); }

// Writes values [0, count) of generation `generation` inside the open batch.
bool WriteBatchValues(swRegistryStore* store, uint32_t generation, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    swRegistryValue value{BatchName(i), kRegistryNumber, swRegistryValue::NumberData(generation)};
    if (!store->SetValue(kKey, value).ok()) return false;
  }
  return true;
}

int BatchLoop(const char* path) {
  auto store = OpenStore(path);
  if (store == nullptr) return 1;
  for (uint32_t generation = 1;; ++generation) {
    swRegistryBatch batch(store.get());
    if (!WriteBatchValues(store.get(), generation, kBatchValues) || !batch.End().ok()) {
      std::fprintf(stderr, "hv_save_loop: batch %u failed\n", generation);
      return 1;
    }
    Announce(generation);
  }
}

int BatchHalf(const char* path, uint32_t generation) {
  auto store = OpenStore(path);
  if (store == nullptr) return 1;
  swRegistryBatch batch(store.get());
  if (!WriteBatchValues(store.get(), generation, kBatchValues / 2)) return 1;
  std::puts("half");
  std::fflush(stdout);
  for (;;) pause();
}

int CheckBatch(const char* path) {
  auto store = OpenStore(path);
  if (store == nullptr) return 1;
  std::vector<swRegistryValue> values;
  const int rc = store->ListValues(kKey, &values).code();
  if (rc == kStoreNoKey || (rc == kStoreOk && values.empty())) {
    std::puts("none");
    return 0;
  }
  uint32_t generation = 0;
  bool same = rc == kStoreOk && values.size() == kBatchValues;
  for (size_t i = 0; same && i < values.size(); ++i) {
    uint32_t number = 0;
    same = values[i].AsNumber(&number) && (i == 0 || number == generation);
    generation = number;
  }
  if (!same) {
    std::fputs("hv_save_loop: the batch's values are not of one generation\n", stderr);
    return 1;
  }
  std::printf("%u\n", generation);
  return 0;
}

constexpr long kWriterBatch = 25;

int Writer(const char* path, const std::string& prefix, long count, bool batched) {
  auto store = OpenStore(path);
  if (store == nullptr) return 1;
  std::unique_ptr<swRegistryBatch> batch;
  for (long i = 0; i < count; ++i) {
    if (batched && i % kWriterBatch == 0) {
      if (batch != nullptr && !batch->End().ok()) {
        std::fprintf(stderr, "hv_save_loop: a batch of %s failed\n", prefix.c_str());
        return 1;
      }
      batch = std::make_unique<swRegistryBatch>(store.get());
    }
    swRegistryValue value{prefix + "-" + std::to_string(i), kRegistryNumber,
                          swRegistryValue::NumberData(static_cast<uint32_t>(i))};
    if (!store->SetValue(kKey, value).ok()) {
      std::fprintf(stderr, "hv_save_loop: write %ld of %s failed\n", i, prefix.c_str());
      return 1;
    }
  }
  if (batch != nullptr && !batch->End().ok()) {
    std::fprintf(stderr, "hv_save_loop: the last batch of %s failed\n", prefix.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string mode = argv[1];
  if (mode == "settings") return SettingsLoop(argv[2]);
  if (mode == "registry") return RegistryLoop(argv[2]);
  if (mode == "check-settings") return CheckSettings(argv[2]);
  if (mode == "check-registry") return CheckRegistry(argv[2]);
  if (mode == "batch") return BatchLoop(argv[2]);
  if (mode == "check-batch") return CheckBatch(argv[2]);
  if (mode == "batch-half" && argc == 4) {
    return BatchHalf(argv[2], static_cast<uint32_t>(std::atol(argv[3])));
  }
  if (mode == "writer" && argc == 5) return Writer(argv[2], argv[3], std::atol(argv[4]), false);
  if (mode == "batch-writer" && argc == 5) {
    return Writer(argv[2], argv[3], std::atol(argv[4]), true);
  }
  return Usage();
}
