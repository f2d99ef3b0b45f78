#pragma once

// Each test class of the data layer runs through one of these; the main runs them all.
int runViewQueryTest(int argc, char** argv);
int runSearchConditionsTest(int argc, char** argv);
int runViewsTest(int argc, char** argv);
int runEditCodesTest(int argc, char** argv);
int runIssueTextTest(int argc, char** argv);
int runComposedQueryTest(int argc, char** argv);
