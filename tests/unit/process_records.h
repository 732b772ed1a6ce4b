// The process-wide records that tests change, saved and put back, so that no test sees
// what another left behind, whatever order the tests run in. A test or fixture that sets
// any of them holds a KeepProcessRecords for as long as its change may stand.
#pragma once

#include "codepage/byte_maps.h"
#include "errors/console_output.h"
#include "errors/error_context.h"
#include "errors/report_texts.h"
#include "fake_platform.h"
#include "fileconv/convert_file.h"
#include "startup/language.h"

struct ProcessRecords {
  ErrorContextRecord errorContext;
  ReportTableOffsets reportOffsets;
  MessageLanguageRecord messageLanguage;
  StandardHandles stdHandles;
  FakePlatformRecord fake;
  ByteMap byteConverter;
  ByteKernel byteKernelLimit;
};

inline ProcessRecords SaveProcessRecords() {
  return {ErrorContext, ReportOffsets, MessageLanguage, StdHandles,
          FakePlatform, ByteConverter, ByteKernelLimit};
}

inline void RestoreProcessRecords(const ProcessRecords& saved) {
  ErrorContext = saved.errorContext;
  ReportOffsets = saved.reportOffsets;
  MessageLanguage = saved.messageLanguage;
  StdHandles = saved.stdHandles;
  FakePlatform = saved.fake;
  ByteConverter = saved.byteConverter;
  ByteKernelLimit = saved.byteKernelLimit;
}

/// Saves the records when made and puts them back when it ends.
class KeepProcessRecords {
 public:
  KeepProcessRecords() : saved_(SaveProcessRecords()) {}
  ~KeepProcessRecords() { RestoreProcessRecords(saved_); }
  KeepProcessRecords(const KeepProcessRecords&) = delete;
  KeepProcessRecords& operator=(const KeepProcessRecords&) = delete;

 private:
  ProcessRecords saved_;
};
