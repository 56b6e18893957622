#pragma once
// main() for widget tests: the program's own application object, title,
// style and fonts, so that what a test sees is what a user sees.

#include "app/Startup.h"
#include "components/Application.h"

#include <QTest>

#define PIKORA_TEST_MAIN(TestClass)                                                 \
    int main(int argc, char** argv)                                                 \
    {                                                                               \
        pikora::TApplication application(argc, argv);                               \
        application.SetTitle(QStringLiteral("PIKORA!"));                            \
        pikora::prepareApplication();                                               \
        TestClass test;                                                             \
        return QTest::qExec(&test, argc, argv);                                     \
    }
