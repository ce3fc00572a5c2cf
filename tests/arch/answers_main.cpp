// Prints what the client's code computes from fixed inputs, in full, so that
// a build for another machine can be held to this one's answers:
//
//   arch_answers hits|models|corpus-models|sim SOURCE_DIR
//
// The frame reader, the OBJ scanner and the scenario parser read raw bytes,
// where char's signedness differs between machines; floating-point sums and
// products may be fused on one and not the other. Both would show here.
#include "answers.h"

#include <QCoreApplication>

#include <cstring>
#include <iostream>

namespace
{

constexpr int kUsageStatus = 2;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: arch_answers hits|models|corpus-models|sim SOURCE_DIR\n";
        return kUsageStatus;
    }
    const std::string what = argv[1];
    const std::string source = argv[2];
    bool done = true;
    if (what == "hits")
        done = printHitAnswers();
    else if (what == "models")
        printModelAnswers(std::cout, source + "/mdl", false);
    else if (what == "corpus-models")
        printModelAnswers(std::cout, source + "/fuzz/corpus/obj", true);
    else if (what == "sim")
        done = printSimAnswers(std::cout, source);
    else {
        std::cerr << "arch_answers: no answers named " << what << '\n';
        return kUsageStatus;
    }
    std::cout.flush();
    return done ? 0 : 1;
}
