#include "tools/replay_numbers.h"

bool ParseWholeNumber(const std::string& text, long min, long max, long* value)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    // Accumulated towards the sign so the bounds are checked before overflow.
    long n = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9')
            return false;
        int digit = c - '0';
        if (negative) {
            if (n < (min + digit) / 10)
                return false;
            n = n * 10 - digit;
        } else {
            if (n > (max - digit) / 10)
                return false;
            n = n * 10 + digit;
        }
    }
    if (n < min || n > max)
        return false;
    *value = n;
    return true;
}
