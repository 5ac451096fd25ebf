#pragma once

namespace korvex {
class TForm1;
}

namespace korvex::printing {

// The print command of the print button.
void print(TForm1& form);

}  // namespace korvex::printing
