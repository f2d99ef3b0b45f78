#include "DataTests.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int failed = 0;
    for (auto run : {runViewQueryTest, runSearchConditionsTest, runViewsTest, runEditCodesTest,
                     runIssueTextTest, runComposedQueryTest})
        failed += run(argc, argv);
    return failed;
}
