// Start-up of the program; replaced by the real start-up sequence.
#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return 0;
}
