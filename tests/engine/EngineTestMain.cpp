#include "EngineTests.h"

#include "ImageCache.h"

#include <QCoreApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    // The engine's cache files go to a folder of the run's own.
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    QCoreApplication app(argc, argv);
    int failed = 0;
    for (auto run : {runSqlFunctionsTest, runTranslatorTest, runQueryTest, runTableTest,
                     runViewEvaluationTest})
        failed += run(argc, argv);
    ImageCache::finishWrites();
    return failed;
}
