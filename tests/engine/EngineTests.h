#pragma once

// Each test class of the engine runs through one of these; the main runs them all.
int runSqlFunctionsTest(int argc, char** argv);
int runTranslatorTest(int argc, char** argv);
int runQueryTest(int argc, char** argv);
int runTableTest(int argc, char** argv);
int runViewEvaluationTest(int argc, char** argv);
