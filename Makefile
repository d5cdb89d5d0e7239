# Two commands from a fresh clone: `make run` and `make test`. Each installs what is missing
# (scripts/install-deps.sh), configures CMake with Ninja and builds.
BUILD ?= build
CLI := $(BUILD)/bin/mensuro-cli
EXAMPLE := examples/seven-pillar-measured.txt
EXAMPLE_BASELINE := Example seven-pillar line 600 m

.PHONY: all setup configure build test run bench bench-register screenshot package install clean windows check-windows

all: build

setup:
	@bash scripts/install-deps.sh

# Once configured, Ninja reruns CMake by itself when a CMakeLists.txt changes.
configure: setup
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja

build: configure
	@cmake --build $(BUILD)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure

# Opens the window. Without a display, the example measurements are processed against a baseline
# of the library shipped with the program, and the report printed. Builds the programs and their
# files only: the tests, the sanitized core and the fuzzers wait for `make test`.
run: configure
	@cmake --build $(BUILD) --target mensuro_programs
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD)/bin/mensuro; \
	else \
	  $(CLI) $(EXAMPLE) --baseline "$(EXAMPLE_BASELINE)"; \
	  echo; \
	  echo "No display found, so this is mensuro-cli's report of $(EXAMPLE)."; \
	  echo "To open the window, run 'make run' on a desktop, or start $(BUILD)/bin/mensuro"; \
	  echo "under X (for example: xvfb-run -a $(BUILD)/bin/mensuro)."; \
	fi

# The Debian package of the programs and their files, in $(BUILD)/package/.
package: build
	@cmake --build $(BUILD) --target package
	@ls $(BUILD)/package/*.deb

# Mensuro for 64-bit Windows, cross-built with mingw-w64 in build-windows/: the installer and the
# zip in build-windows/package/. The first run builds Qt for Windows into a cache folder.
windows:
	@bash scripts/build-windows.sh

# The Windows build's tests under Wine, then the installer and the installed programs, compared
# with the Linux build's.
check-windows:
	@bash scripts/check-windows.sh

# Installs under PREFIX (default /usr/local; run as root for a system folder).
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# The processing benchmarks, then mensuro-cli's memory and time on hostile files of growing size,
# then what one run of its text report costs as a whole process.
bench: build
	@status=0; bash bench/run.sh $(BUILD) || status=1; \
	echo; python3 bench/hostile_input.py $(BUILD) || status=1; \
	echo; python3 bench/startup.py $(BUILD) || status=1; exit $$status

# The calibration register at a laboratory's scale: 100,000 certificates (grown once into
# $(BUILD)/bench-register, some gigabytes), issuing one more, listing and verifying.
bench-register: build
	@python3 bench/register_scale.py $(BUILD)

# The README's pictures after a Process of the Kellerby example: the window, the plot window and
# the first page of the certificate; the import dialog of the seven-pillar field file, and the
# column step of the same observations as a data collector exports them; the Certificate Details
# dialog of the example.
screenshot: configure
	@cmake --build $(BUILD) --target mensuro-screenshot
	@QT_QPA_PLATFORM=offscreen:configfile=tools/screenshot-screen.json \
	  $(BUILD)/bin/mensuro-screenshot examples/kellerby-measured.txt \
	  examples/kellerby-published.txt docs/mensuro-window.png docs/mensuro-plot.png \
	  $(BUILD)/mensuro-certificate.pdf examples/seven-pillar-field.csv docs/mensuro-import.png \
	  examples/seven-pillar-collector.txt docs/mensuro-columns.png docs/mensuro-details.png \
	  docs/mensuro-register.png examples/baseline-survey.txt docs/mensuro-baseline.png
	@pdftoppm -png -r 75 -f 1 -l 1 -singlefile $(BUILD)/mensuro-certificate.pdf \
	  docs/mensuro-certificate

# Runs every fuzz target (tests/fuzz) for FUZZ_SECONDS each, or those named in FUZZ_TARGETS.
# What a run finds goes to $(BUILD)/fuzz/scratch/NAME/; FUZZ_MERGE=1 adds the new inputs that
# reach more code to the seed corpus tests/fuzz/corpus/NAME/.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= $(patsubst tests/fuzz/%_fuzzer.cpp,%,$(wildcard tests/fuzz/*_fuzzer.cpp))
FUZZ_MERGE ?= 0
.PHONY: fuzz
fuzz: configure
	@cmake --build $(BUILD) --target mensuro_fuzzers
	@failed=; for name in $(FUZZ_TARGETS); do \
	  bash tests/fuzz/run_fuzzer.sh $(if $(filter 1,$(FUZZ_MERGE)),--merge) \
	    $(BUILD)/fuzz/bin/$${name}_fuzzer tests/fuzz/corpus/$$name $(FUZZ_SECONDS) \
	    $(BUILD)/fuzz/scratch/$$name || failed="$$failed $$name"; \
	done; \
	if [ -n "$$failed" ]; then echo "make fuzz: failed:$$failed"; exit 1; fi

# The whole test suite under AddressSanitizer, UBSan and LeakSanitizer (a gcc build of
# everything in $(DEEP)/asan), and the command line tests with every mensuro-cli run under
# valgrind's memcheck (an ordinary build in $(DEEP)/memcheck). See scripts/check-deep.sh.
DEEP ?= $(BUILD)-deep
.PHONY: check-deep
check-deep: setup
	@bash scripts/check-deep.sh $(DEEP)

clean:
	rm -rf $(BUILD) $(DEEP)
