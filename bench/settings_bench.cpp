// Start-up cost of the settings and text lookups: every stored value read once, and a language file
// parsed and queried as the main window does when it fills its tool-tips; and the same with files far
// larger than they should be (a 50 MB registry, a language file near the 4 MB limit).
#include "core/ini_document.h"
#include "core/localisation.h"
#include "core/settings_store.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
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
  loc.selectLanguage({lumivex::PrimaryLanguage::English});
  for (auto _ : state) benchmark::DoNotOptimize(loc.lookup("TipAbout", 128, QStringLiteral("About")));
}
BENCHMARK(BM_LookupText);

// A start-up meeting a 50 MB registry: refused by its size, set aside, defaults written, all values read.
void BM_StartWithHugeRegistry(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.path() + QStringLiteral("/registry.reg");
  for (auto _ : state) {
    state.PauseTiming();
    QDir(dir.path()).removeRecursively();
    QDir().mkpath(dir.path());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("Windows Registry Editor Version 5.00\n");
    file.resize(50 << 20);  // sparse: the size is what counts
    file.close();
    state.ResumeTiming();
    lumivex::Settings settings;
    lumivex::SettingsStore store(path, settings);
    store.ensureFirstRunDefaults();
    store.loadAll();
    benchmark::DoNotOptimize(settings.decimals);
  }
}
BENCHMARK(BM_StartWithHugeRegistry)->Unit(benchmark::kMillisecond);

QByteArray largeLanguageFile() {
  QByteArray text = "[Quorvanta]\n";
  for (int i = 0; text.size() < (4 << 20) - 64; ++i) text += "Key" + QByteArray::number(i) + "=Some interface text\n";
  return text + "TipAbout=About\n";
}

// Reading and indexing a language file near the size limit, once per language change.
void BM_LoadLargeLanguageFile(benchmark::State& state) {
  const QByteArray text = largeLanguageFile();
  for (auto _ : state) {
    lumivex::IniDocument document;
    benchmark::DoNotOptimize(document.parse(text));
  }
}
BENCHMARK(BM_LoadLargeLanguageFile)->Unit(benchmark::kMillisecond);

// One lookup in that file (the key is its last line); the main window makes a few hundred at start-up.
void BM_LookupInLargeLanguageFile(benchmark::State& state) {
  lumivex::IniDocument document;
  document.parse(largeLanguageFile());
  for (auto _ : state)
    benchmark::DoNotOptimize(document.value(QStringLiteral("Quorvanta"), QStringLiteral("TipAbout")));
}
BENCHMARK(BM_LookupInLargeLanguageFile);

}  // namespace
