// Start-up cost of the settings and text lookups: every stored value read once, and a language file
// parsed and queried as the main window does when it fills its tool-tips.
#include "core/localisation.h"
#include "core/settings_store.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

namespace {

void BM_LoadAllSettings(benchmark::State& state) {
  QTemporaryDir dir;
  lumivex::Settings settings;
  lumivex::SettingsStore store(dir.path() + QStringLiteral("/registry.reg"), settings);
  store.ensureFirstRunDefaults();
  for (auto _ : state) {
    store.loadAll();
    benchmark::DoNotOptimize(settings.decimals);
  }
}
BENCHMARK(BM_LoadAllSettings);

void BM_LookupText(benchmark::State& state) {
  lumivex::Localisation loc;
  loc.setSearchFolders({QStringLiteral(LUMIVEX_BENCH_LANG_DIR)}, {});
  loc.selectLanguage(9, 0);
  for (auto _ : state) benchmark::DoNotOptimize(loc.lookup("TipAbout", 128, QStringLiteral("About")));
}
BENCHMARK(BM_LookupText);

}  // namespace
