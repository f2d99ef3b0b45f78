#pragma once

// One reference to each window of the run. Every window is created once at start-up and
// afterwards only shown and hidden; the wait window is destroyed after the first showing.
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TSuchPage;

extern TForm4* Form4;
extern TForm1* Form1;
extern TSuchPage* SuchPage;
extern TForm2* Form2;
extern TForm3* Form3;
extern TForm5* Form5;
extern TForm6* Form6;

// Destroys every window and clears the references.
void destroyWindows();
