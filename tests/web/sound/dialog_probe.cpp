// dialog_probe: the boxes the demo shows, one after the other, each answer
// printed as "probe: box N answer A" for the page's test to compare.
#include "platform/message_box.h"
#include "platform/messages.h"

#include <cstdio>

namespace {
int box(int number, const char* text, const char* caption, unsigned style)
{
    int answer = platform_message_box(text, caption, style);
    std::printf("probe: box %d answer %d\n", number, answer);
    std::fflush(stdout);
    return answer;
}
} // namespace

int main()
{
    // The fullscreen fallback's question, then what follows a No.
    box(1, "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?", "Dova GL",
        MB_YESNO | MB_ICONEXCLAMATION);
    box(2, "Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP);
    // Keys: Escape and Enter on a question, Escape on a notice.
    box(3, "Escape?", "KEYS", MB_YESNO | MB_ICONEXCLAMATION);
    box(4, "Enter?", "KEYS", MB_YESNO | MB_ICONEXCLAMATION);
    box(5, "Escape on OK?", "KEYS", MB_OK | MB_ICONINFORMATION);
    std::printf("probe: end 0\n");
    return 0;
}
