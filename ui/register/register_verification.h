#pragma once

// Verifying a register off the window's thread: a register of a laboratory's size takes long
// to walk, and the window stays responsive, showing how far the walk has come. The walk opens
// its own read-only connection, so the window's connection is never shared between threads.

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <string>

#include "register/register_records.h"

class QThread;

namespace mensuro {

// What verifying found, as the window tells it.
QString VerifyMessage(const VerifyResult& result);

class RegisterVerification : public QObject {
  Q_OBJECT

 public:
  // Starts verifying the register at `location` (with the head log `headLog` for PostgreSQL).
  RegisterVerification(const std::string& location, const std::string& headLog,
                       QObject* parent = nullptr);
  // Stops a walk under way and waits for its thread.
  ~RegisterVerification() override;
  RegisterVerification(const RegisterVerification&) = delete;
  RegisterVerification& operator=(const RegisterVerification&) = delete;

 signals:
  // Records checked so far of all; delivered on the window's thread.
  void Progress(qint64 checked, qint64 total);
  // The walk's message (what VerifyMessage says, or why the register couldn't be read).
  void Finished(const QString& message);

 private:
  std::atomic<bool> stop_{false};
  std::unique_ptr<QThread> thread_;
};

}  // namespace mensuro
