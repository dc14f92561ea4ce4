; HC Encoder -- Encoder Information List
; Created By DVD Tessera's Matrix Editor

[item]
title=Preview
progressive=0
frame_rate_idx=3
aspect_ratio=3
vbr_brate_avg=1080
vbr_brate_max=8000
vbr_brate_min=0
opv_q_factor=45
pulldown_detect=1
q_scale_type=0
qmat_idx=0
vaf_file=<P>/Preview/V010001_V001001_No_Matrix_No_Filter.vaf
aud_file=<P>/Preview/V010001_V001001_No_Matrix_No_Filter.mpa
vid_file0=<P>/Preview/V010001_V001001_No_Matrix_No_Filter.m2v
vid_file1=<P>/Preview/V010001_V001001_No_Matrix_No_Filter.m2v

[file]
name=<P>/Preview/encode.avs
frame_first=0
frame_last=2500
encode_first=0
encode_last=2500

