# Makes the completion of orvo from its template: cmake -DWORDS_PROGRAM=... -DTEMPLATE=...
# -DOUTPUT=... -P make-completion.cmake. The output types and frame rates come from the
# program's tables.
execute_process(COMMAND ${WORDS_PROGRAM} types OUTPUT_VARIABLE ORVO_OUTPUT_TYPES
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${WORDS_PROGRAM} rates OUTPUT_VARIABLE ORVO_FRAME_RATES
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
