// Composes a send of a few numbers: the library classifies each by carrier,
// which takes the data and base libraries at run time.
#include <iostream>
#include <string>

#include "send/CSmsMsgProcessor.h"

int main() {
    SMS::CSmsMsgProcessor processor;
    int accepted = 0;
    for (const char* number : {"13800138000", "13012345678", "18912345678", "01012345678", "12345"}) {
        int id = 0;
        if (processor.addPhone(number, std::string(), false, id) == 1) ++accepted;
    }
    int yd = 0, lt = 0, dx = 0, xlt = 0;
    processor.getPhoneNum(yd, lt, dx, xlt);
    std::cout << "accepted " << accepted << ": YD " << yd << " LT " << lt << " DX " << dx
              << " XLT " << xlt << '\n';
    return 0;
}
