#include "ui/register/register_verification.h"

#include <fmt/format.h>

#include <QThread>
#include <exception>

#include "register/calibration_register.h"
#include "register/register_text.h"

namespace mensuro {
namespace {

// Thrown from the progress callback to end a walk nobody waits for any longer.
struct Stopped {};

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

}  // namespace

QString VerifyMessage(const VerifyResult& result) {
  if (result.intact) {
    return Text(fmt::format(
        "The register is intact: {} records, each matching its hash and the record before it.",
        result.records));
  }
  std::string failure;
  for (const std::string& line : VerifyFailureLines(result)) {
    failure += (failure.empty() ? "" : "\n") + line;
  }
  return Text(failure);
}

RegisterVerification::RegisterVerification(const std::string& location, const std::string& headLog,
                                           QObject* parent)
    : QObject(parent) {
  thread_.reset(QThread::create([this, location, headLog] {
    QString message;
    try {
      CalibrationRegister reg = CalibrationRegister::OpenForReading(location, headLog);
      VerifyOptions options;
      options.progress = [this](std::int64_t checked, std::int64_t total) {
        if (stop_) {
          throw Stopped{};
        }
        emit Progress(checked, total);
      };
      message = VerifyMessage(reg.Verify(options));
    } catch (const Stopped&) {
      return;
    } catch (const std::exception& error) {
      message = QStringLiteral("Could not verify the register %1: %2")
                    .arg(Text(location), Text(error.what()));
    }
    emit Finished(message);
  }));
  thread_->start();
}

RegisterVerification::~RegisterVerification() {
  stop_ = true;
  thread_->wait();
}

}  // namespace mensuro
