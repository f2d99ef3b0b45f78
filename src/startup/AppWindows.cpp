#include "AppWindows.h"

#include "StatisticsWindows.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TForm4.h"
#include "TSuchPage.h"

TForm4* Form4 = nullptr;
TForm1* Form1 = nullptr;
TSuchPage* SuchPage = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TForm5* Form5 = nullptr;
TForm6* Form6 = nullptr;

void destroyWindows() {
    delete Form6;
    Form6 = nullptr;
    delete Form5;
    Form5 = nullptr;
    delete Form3;
    Form3 = nullptr;
    delete Form2;
    Form2 = nullptr;
    delete SuchPage;
    SuchPage = nullptr;
    delete Form1;
    Form1 = nullptr;
    delete Form4;
    Form4 = nullptr;
}
