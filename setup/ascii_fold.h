// Lower-casing for setup.ini's keys and path type words.
#ifndef SETUP_ASCII_FOLD_H
#define SETUP_ASCII_FOLD_H

// Lower-cases the letters A to Z in place, whatever the locale: key words
// compare the same on every system.
inline void fold_ascii(char *text)
{
    for (; *text; ++text)
        if (*text >= 'A' && *text <= 'Z')
            *text = (char)(*text - 'A' + 'a');
}

#endif
