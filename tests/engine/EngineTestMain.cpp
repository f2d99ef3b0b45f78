#include "EngineTests.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int failed = 0;
    for (auto run : {runSqlFunctionsTest, runTranslatorTest, runQueryTest, runTableTest,
                     runViewEvaluationTest})
        failed += run(argc, argv);
    return failed;
}
